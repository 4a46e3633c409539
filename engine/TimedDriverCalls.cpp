#include "TimedDriverCalls.h"
#include <algorithm>
#include <atomic>
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

namespace {

// Runs work on a thread of its own and waits at most waitMs for it to finish; true if it did.
// With no thread or event to spare it runs here instead, and is waited for.
bool RunWithin(std::function<void()> work, DWORD waitMs)
{
    if (HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        SharedEvent done(event, CloseHandle);
        try {
            std::thread([work, done] {
                work();
                SetEvent(done.get());
            }).detach();
            return WaitForSingleObject(event, waitMs) == WAIT_OBJECT_0;
        } catch (const std::system_error&) {
        }
    }
    work();
    return true;
}

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
MMRESULT OpenWithin(HANDLE* device, const WAVEFORMATEX& format, SharedEvent event,
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
    RunWithin([opening, open, close] {
        OpeningDevice<Device>& o = *opening;
        o.result = open(&o.device, WAVE_MAPPER, &o.format.Format, reinterpret_cast<DWORD_PTR>(o.event.get()), 0,
                        CALLBACK_EVENT);
        int expected = OpeningDevice<Device>::kOpening;
        if (!o.state.compare_exchange_strong(expected, OpeningDevice<Device>::kTaken) &&
            o.result == MMSYSERR_NOERROR)
            close(o.device);   // nobody waits for it any more
    }, kDriverLimitMs);
    // Whoever moves the state first decides: the caller giving up, or the open handing over.
    int expected = OpeningDevice<Device>::kOpening;
    if (opening->state.compare_exchange_strong(expected, OpeningDevice<Device>::kGivenUp))
        return kDriverNotAnswering;
    *device = opening->device;   // a HWAVEIN or HWAVEOUT, as the caller's direction has it
    return opening->result;
}

// Resets the device, hands back its headers and closes it, on a thread of its own.
template <class Device>
void CloseWithin(HANDLE device, std::vector<WAVEHDR> headers, std::vector<std::vector<char>> buffers,
                 SharedEvent event, DWORD waitMs, MMRESULT(WINAPI* reset)(Device),
                 MMRESULT(WINAPI* unprepare)(Device, LPWAVEHDR, UINT), MMRESULT(WINAPI* close)(Device))
{
    auto closing = std::make_shared<ClosingDevice<Device>>(ClosingDevice<Device>{
        static_cast<Device>(device), std::move(headers), std::move(buffers), std::move(event)});
    RunWithin([closing, reset, unprepare, close] {
        reset(closing->device);
        for (WAVEHDR& header : closing->headers)
            if (header.dwFlags & WHDR_PREPARED)
                unprepare(closing->device, &header, sizeof(WAVEHDR));
        close(closing->device);
    }, waitMs);
}

} // namespace

const DriverCalls kInputCalls = {
    [](HANDLE* device, const WAVEFORMATEX& format, SharedEvent event) {
        return OpenWithin(device, format, std::move(event), waveInOpen, waveInClose);
    },
    [](HANDLE device, std::vector<WAVEHDR> headers, std::vector<std::vector<char>> buffers, SharedEvent event,
       DWORD waitMs) {
        CloseWithin(device, std::move(headers), std::move(buffers), std::move(event), waitMs, waveInReset,
                    waveInUnprepareHeader, waveInClose);
    },
};

const DriverCalls kOutputCalls = {
    [](HANDLE* device, const WAVEFORMATEX& format, SharedEvent event) {
        return OpenWithin(device, format, std::move(event), waveOutOpen, waveOutClose);
    },
    [](HANDLE device, std::vector<WAVEHDR> headers, std::vector<std::vector<char>> buffers, SharedEvent event,
       DWORD waitMs) {
        CloseWithin(device, std::move(headers), std::move(buffers), std::move(event), waitMs, waveOutReset,
                    waveOutUnprepareHeader, waveOutClose);
    },
};

MMRESULT CallWithin(std::function<MMRESULT()> call)
{
    auto result = std::make_shared<std::atomic<MMRESULT>>(kDriverNotAnswering);
    if (!RunWithin([result, call] { result->store(call()); }, kDriverLimitMs))
        return kDriverNotAnswering;
    return result->load();
}
