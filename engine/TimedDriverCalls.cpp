#include "TimedDriverCalls.h"
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>

MCIERROR InputError(MMRESULT result)
{
    switch (result) {
    case MMSYSERR_NOERROR: return 0;
    case MMSYSERR_ALLOCATED: return MCIERR_WAVE_INPUTSINUSE;
    case MMSYSERR_NOMEM: return MCIERR_OUT_OF_MEMORY;
    case kDriverNotAnswering: return MCIERR_DEVICE_NOT_READY;
    // No device, no driver, or none that takes this format: "no wave device that can
    // record files in the current format" is the true message for each.
    default: return MCIERR_WAVE_INPUTSUNSUITABLE;
    }
}

MCIERROR OutputError(MMRESULT result)
{
    switch (result) {
    case MMSYSERR_NOERROR: return 0;
    case MMSYSERR_ALLOCATED: return MCIERR_WAVE_OUTPUTSINUSE;
    case MMSYSERR_NOMEM: return MCIERR_OUT_OF_MEMORY;
    case kDriverNotAnswering: return MCIERR_DEVICE_NOT_READY;
    default: return MCIERR_WAVE_OUTPUTSUNSUITABLE;
    }
}

WAVEFORMATEX ToWaveFormat(const wave::PcmFormat& format)
{
    WAVEFORMATEX wfx = {};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = format.channels;
    wfx.nSamplesPerSec = format.samplesPerSec;
    wfx.nAvgBytesPerSec = format.avgBytesPerSec;
    wfx.nBlockAlign = format.blockAlign;
    wfx.wBitsPerSample = format.bitsPerSample;
    return wfx;
}

bool ToDeviceFormat(const wave::WaveFormat& format, WAVEFORMATEXTENSIBLE& device)
{
    static_assert(sizeof(WAVEFORMATEXTENSIBLE) == wave::kDeviceFormatMaxBytes, "the codec's block is this structure");
    uint8_t block[wave::kDeviceFormatMaxBytes];
    const size_t size = wave::BuildDeviceFormat(format, block);
    if (size == 0)
        return false;
    device = WAVEFORMATEXTENSIBLE{};
    std::memcpy(&device, block, size);
    return true;
}

DWORD BufferBytes(const wave::PcmFormat& format, unsigned perSecond)
{
    const DWORD bytes = format.avgBytesPerSec / perSecond;
    const DWORD whole = bytes - bytes % format.blockAlign;
    return whole ? whole : format.blockAlign;
}

SharedEvent MakeSharedEvent()
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return event ? SharedEvent(event, CloseHandle) : SharedEvent();
}

struct CDriverThread::Shared {
    std::mutex lock;
    std::condition_variable wake;
    std::function<MMRESULT()> call;   // handed over, not yet taken
    std::deque<std::function<MMRESULT()>> closes;   // behind a call that had not come back
    bool busy = false;                // from the hand-over until the call returns
    bool quit = false;
    uint64_t issued = 0, finished = 0;   // of the calls handed over, whose callers may wait
    MMRESULT result = 0;

    void Run()
    {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            wake.wait(guard, [this] { return call || !closes.empty() || quit; });
            const bool handed = static_cast<bool>(call);
            if (!handed && closes.empty())
                return;
            std::function<MMRESULT()> next;
            if (handed) {
                next = std::move(call);
                call = nullptr;
            } else {
                next = std::move(closes.front());
                closes.pop_front();
            }
            busy = true;
            guard.unlock();
            const MMRESULT answer = next();
            next = nullptr;   // what the call owned goes now, not with the next call
            guard.lock();
            busy = false;
            if (handed) {
                result = answer;
                ++finished;
            }
            wake.notify_all();
        }
    }
};

CDriverThread::~CDriverThread()
{
    if (!m_shared)
        return;
    bool idle;
    {
        std::lock_guard<std::mutex> guard(m_shared->lock);
        m_shared->quit = true;
        idle = !m_shared->busy;
    }
    m_shared->wake.notify_all();
    if (idle)
        m_thread.join();
    else
        m_thread.detach();   // it owns what the call needs, and ends once the call returns
}

MMRESULT CDriverThread::Call(std::function<MMRESULT()> call, DWORD waitMs, std::unique_lock<std::mutex>* handOver)
{
    return Hand(std::move(call), waitMs, handOver, false);
}

MMRESULT CDriverThread::Close(std::function<MMRESULT()> close, DWORD waitMs)
{
    return Hand(std::move(close), waitMs, nullptr, true);
}

MMRESULT CDriverThread::Hand(std::function<MMRESULT()> call, DWORD waitMs, std::unique_lock<std::mutex>* handOver,
                             bool isClose)
{
    if (!m_shared) {
        auto shared = std::make_shared<Shared>();
        try {
            m_thread = std::thread([shared] { shared->Run(); });
        } catch (const std::system_error&) {
            return kDriverNotAnswering;   // no thread to spare: the call is not made at all
        }
        m_shared = std::move(shared);
    }
    Shared& s = *m_shared;
    std::unique_lock<std::mutex> guard(s.lock);
    if (s.busy) {
        if (isClose)
            s.closes.push_back(std::move(call));
        return kDriverNotAnswering;   // an earlier call has not come back
    }
    s.call = std::move(call);
    s.busy = true;
    const uint64_t ticket = ++s.issued;
    s.wake.notify_all();
    if (handOver)
        handOver->unlock();
    if (!s.wake.wait_for(guard, std::chrono::milliseconds(waitMs), [&] { return s.finished >= ticket; }))
        return kDriverNotAnswering;
    return s.result;
}

namespace {

template <class Device>
struct ClosingDevice {
    Device device;
    std::vector<WAVEHDR> headers;   // moved, never copied: the driver holds their addresses
    std::vector<std::vector<char>> buffers;
    SharedEvent event;
};

template <class Device>
struct OpeningDevice {
    Device device = nullptr;
    MMRESULT result = kDriverNotAnswering;
    WAVEFORMATEXTENSIBLE format;   // room for the largest format block the engine opens with
    SharedEvent event;   // the driver's; kept until a device opened too late is closed
    enum { kOpening, kTaken, kGivenUp };
    std::atomic<int> state{kOpening};
};

template <class Device>
MMRESULT OpenWithin(CDriverThread& thread, HANDLE* device, const WAVEFORMATEX& format, SharedEvent event,
                    MMRESULT(WINAPI* open)(Device*, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD),
                    MMRESULT(WINAPI* close)(Device))
{
    auto opening = std::make_shared<OpeningDevice<Device>>();
    // The copy must hold the extra bytes too: the open runs on after the caller's may be gone.
    const size_t extra = format.wFormatTag == WAVE_FORMAT_PCM ? 0 : format.cbSize;
    opening->format = WAVEFORMATEXTENSIBLE{};
    std::memcpy(&opening->format, &format,
                sizeof(WAVEFORMATEX) + std::min(extra, sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX)));
    opening->event = std::move(event);
    thread.Call([opening, open, close] {
        OpeningDevice<Device>& o = *opening;
        o.result = open(&o.device, WAVE_MAPPER, &o.format.Format, reinterpret_cast<DWORD_PTR>(o.event.get()), 0,
                        CALLBACK_EVENT);
        int expected = OpeningDevice<Device>::kOpening;
        if (!o.state.compare_exchange_strong(expected, OpeningDevice<Device>::kTaken) &&
            o.result == MMSYSERR_NOERROR)
            close(o.device);   // nobody waits for it any more
        return o.result;
    }, kDriverLimitMs);
    // Whoever moves the state first decides: the caller giving up, or the open handing over.
    int expected = OpeningDevice<Device>::kOpening;
    if (opening->state.compare_exchange_strong(expected, OpeningDevice<Device>::kGivenUp))
        return kDriverNotAnswering;
    *device = opening->device;   // a HWAVEIN or HWAVEOUT, as the caller's direction has it
    return opening->result;
}

// Resets the device, hands back its headers and closes it, on the driver thread.
template <class Device>
void CloseWithin(CDriverThread& thread, HANDLE device, std::vector<WAVEHDR> headers, std::vector<std::vector<char>> buffers,
                 SharedEvent event, DWORD waitMs, MMRESULT(WINAPI* reset)(Device),
                 MMRESULT(WINAPI* unprepare)(Device, LPWAVEHDR, UINT), MMRESULT(WINAPI* close)(Device))
{
    auto closing = std::make_shared<ClosingDevice<Device>>(ClosingDevice<Device>{
        static_cast<Device>(device), std::move(headers), std::move(buffers), std::move(event)});
    thread.Close([closing, reset, unprepare, close] {
        reset(closing->device);
        for (WAVEHDR& header : closing->headers)
            if (header.dwFlags & WHDR_PREPARED)
                unprepare(closing->device, &header, sizeof(WAVEHDR));
        return close(closing->device);
    }, waitMs);
}

// One direction's driver, from its own functions.
template <class Device>
class WaveDriver : public DriverCalls {
public:
    using OpenFn = MMRESULT(WINAPI*)(Device*, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD);
    using DeviceFn = MMRESULT(WINAPI*)(Device);
    using HeaderFn = MMRESULT(WINAPI*)(Device, LPWAVEHDR, UINT);
    WaveDriver(OpenFn open, DeviceFn reset, HeaderFn unprepare, DeviceFn close)
        : m_open(open), m_reset(reset), m_unprepare(unprepare), m_close(close)
    {
    }
    MMRESULT Open(CDriverThread& thread, HANDLE* device, const WAVEFORMATEX& format, SharedEvent event) const override
    {
        return OpenWithin(thread, device, format, std::move(event), m_open, m_close);
    }
    void Close(CDriverThread& thread, HANDLE device, std::vector<WAVEHDR> headers,
               std::vector<std::vector<char>> buffers, SharedEvent event, DWORD waitMs) const override
    {
        CloseWithin(thread, device, std::move(headers), std::move(buffers), std::move(event), waitMs, m_reset,
                    m_unprepare, m_close);
    }

private:
    const OpenFn m_open;
    const DeviceFn m_reset;
    const HeaderFn m_unprepare;
    const DeviceFn m_close;
};

const WaveDriver<HWAVEIN> kInput(waveInOpen, waveInReset, waveInUnprepareHeader, waveInClose);
const WaveDriver<HWAVEOUT> kOutput(waveOutOpen, waveOutReset, waveOutUnprepareHeader, waveOutClose);

} // namespace

const DriverCalls& kInputCalls = kInput;
const DriverCalls& kOutputCalls = kOutput;
