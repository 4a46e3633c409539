#include "CWaveEngine.h"
#include "TimedDriverCalls.h"
#include <cstring>

namespace {

const DWORD kWaveSetFlags = MCI_WAVE_SET_FORMATTAG | MCI_WAVE_SET_CHANNELS | MCI_WAVE_SET_SAMPLESPERSEC |
                            MCI_WAVE_SET_AVGBYTESPERSEC | MCI_WAVE_SET_BLOCKALIGN |
                            MCI_WAVE_SET_BITSPERSAMPLE;
// How long the input stays warm for a first take after start-up.
const DWORD kWarmInputMs = 30000;
// A device id is a WORD; 0 means "no device" and MCI_ALL_DEVICE_ID is reserved.
const MCIDEVICEID kLastUsableId = 0xFFFE;

// Flags a command understands; anything else is refused rather than ignored. Record and play
// run until their notice; every other command is done when it returns.
DWORD AllowedFlags(UINT msg)
{
    switch (msg) {
    case MCI_CLOSE:
    case MCI_STOP:
    case MCI_PAUSE:
    case MCI_RESUME: return MCI_WAIT;
    case MCI_SET: return MCI_WAIT | MCI_SET_TIME_FORMAT | kWaveSetFlags;
    case MCI_STATUS: return MCI_WAIT | MCI_STATUS_ITEM;
    case MCI_RECORD: return MCI_NOTIFY;
    case MCI_PLAY: return MCI_NOTIFY | MCI_FROM | MCI_TO;
    case MCI_SEEK: return MCI_WAIT | MCI_TO;
    case MCI_SAVE: return MCI_WAIT | MCI_SAVE_FILE;
    default: return 0;
    }
}

bool IsWaveAudio(DWORD flags, const MCI_OPEN_PARMSA& parms)
{
    if (!(flags & MCI_OPEN_TYPE))
        return true;   // the element alone names a wave file
    return parms.lpstrDeviceType && lstrcmpiA(parms.lpstrDeviceType, "waveaudio") == 0;
}

} // namespace

CWaveEngine::CWaveEngine()
    : m_startDeadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(2 * kDriverLimitMs)),
      m_dataLimit(0xFFFFFFFFu)
{
    // The sound system's start takes a good part of a second's first tenths; here it runs
    // beside the window being built, below the window's priority so that it yields the
    // processor to the first paint. It then starts the input in the take format the window
    // offers first and keeps it warm: a take begun at once need not wait for the input to
    // start delivering, which under some sound servers takes most of a second.
    std::promise<void> started;
    m_started = started.get_future();
    m_starter = std::thread([](std::shared_ptr<WarmInput> warm, std::promise<void> done) {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        if (waveInGetNumDevs() > 0) {
            auto recorder = std::make_unique<CWaveRecorder>(wave::MakePcmFormat(2, 44100, 16), kWarmInputMs);
            if (recorder->Start() == 0) {
                std::lock_guard<std::mutex> guard(warm->lock);
                warm->recorder = std::move(recorder);
            }
        }
        waveOutGetNumDevs();
        done.set_value();
    }, m_warm, std::move(started));
}

CWaveEngine::~CWaveEngine()
{
    // A start still held by a server that does not answer is left to end with the process.
    if (!SoundSystemReady() && m_starter.joinable())
        m_starter.detach();
    {
        std::lock_guard<std::mutex> guard(m_warm->lock);
        m_warm->recorder.reset();
    }
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_devices.clear();
}

bool CWaveEngine::SoundSystemReady()
{
    if (!m_starter.joinable())
        return true;
    if (m_started.wait_until(m_startDeadline) != std::future_status::ready)
        return false;
    m_starter.join();
    return true;
}

std::unique_ptr<CWaveRecorder> CWaveEngine::TakeWarmInput(const wave::PcmFormat& format)
{
    std::unique_ptr<CWaveRecorder> warm;
    {
        std::lock_guard<std::mutex> guard(m_warm->lock);
        warm = std::move(m_warm->recorder);
    }
    const wave::PcmFormat& has = warm ? warm->Format() : format;
    if (!warm || warm->HasEnded() || has.channels != format.channels || has.samplesPerSec != format.samplesPerSec ||
        has.bitsPerSample != format.bitsPerSample)
        return nullptr;   // let go here, before the take opens its own input
    return warm;
}

size_t CWaveEngine::OpenDeviceCount() const
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_devices.size();
}

MCIERROR CWaveEngine::SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (msg == MCI_OPEN)
        return Open(static_cast<DWORD>(flags), reinterpret_cast<MCI_OPEN_PARMSA*>(params));
    const auto found = m_devices.find(id);
    if (id == 0 || found == m_devices.end())
        return MCIERR_INVALID_DEVICE_ID;
    const DWORD allowed = AllowedFlags(msg);
    if (allowed == 0)
        return MCIERR_UNRECOGNIZED_COMMAND;
    if (flags & ~static_cast<DWORD_PTR>(allowed))
        return MCIERR_UNSUPPORTED_FUNCTION;
    if (msg == MCI_CLOSE) {
        m_devices.erase(found);
        return 0;
    }
    if (!params)
        return MCIERR_NULL_PARAMETER_BLOCK;
    return Dispatch(*found->second, msg, static_cast<DWORD>(flags), params);
}

MCIERROR CWaveEngine::Open(DWORD flags, MCI_OPEN_PARMSA* parms)
{
    if (!parms)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (flags & ~(MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT))
        return MCIERR_UNSUPPORTED_FUNCTION;
    if (!IsWaveAudio(flags, *parms))
        return MCIERR_INVALID_DEVICE_NAME;
    if (m_devices.size() >= kLastUsableId)
        return MCIERR_OUT_OF_MEMORY;
    do
        m_lastId = m_lastId >= kLastUsableId ? 1 : m_lastId + 1;
    while (m_devices.count(m_lastId));
    auto device = std::make_unique<CEngineDevice>(m_lastId, m_dataLimit);
    const MCIERROR error = device->Load((flags & MCI_OPEN_ELEMENT) ? parms->lpstrElementName : nullptr);
    if (error)
        return error;
    parms->wDeviceID = m_lastId;
    m_devices[m_lastId] = std::move(device);
    return 0;
}

MCIERROR CWaveEngine::Dispatch(CEngineDevice& device, UINT msg, DWORD flags, DWORD_PTR params)
{
    switch (msg) {
    case MCI_SET: return Set(device, flags, params);
    case MCI_STATUS: {
        auto* status = reinterpret_cast<MCI_STATUS_PARMS*>(params);
        if (!(flags & MCI_STATUS_ITEM))
            return MCIERR_MISSING_PARAMETER;
        return device.Status(status->dwItem, status->dwReturn);
    }
    case MCI_RECORD:
        if (!SoundSystemReady())
            return MCIERR_DEVICE_NOT_READY;
        return device.Record(flags, *reinterpret_cast<MCI_RECORD_PARMS*>(params), TakeWarmInput(device.Format()));
    case MCI_PLAY:
        if (!SoundSystemReady())
            return MCIERR_DEVICE_NOT_READY;
        return device.Play(flags, *reinterpret_cast<MCI_PLAY_PARMS*>(params));
    case MCI_STOP: return device.Stop();
    case MCI_PAUSE: return device.Pause();
    case MCI_RESUME: return device.Resume();
    case MCI_SEEK:
        if (!(flags & MCI_TO))
            return MCIERR_MISSING_PARAMETER;
        return device.Seek(*reinterpret_cast<MCI_SEEK_PARMS*>(params));
    case MCI_SAVE: {
        auto* save = reinterpret_cast<MCI_SAVE_PARMSA*>(params);
        if (!(flags & MCI_SAVE_FILE) || !save->lpfilename)
            return MCIERR_FILENAME_REQUIRED;
        return device.Save(save->lpfilename);
    }
    default: return MCIERR_UNRECOGNIZED_COMMAND;
    }
}

MCIERROR CWaveEngine::Set(CEngineDevice& device, DWORD flags, DWORD_PTR params)
{
    if (!(flags & (MCI_SET_TIME_FORMAT | kWaveSetFlags)))
        return MCIERR_MISSING_PARAMETER;
    if (flags & MCI_SET_TIME_FORMAT) {
        const MCIERROR error = device.SetTimeFormat(reinterpret_cast<MCI_SET_PARMS*>(params)->dwTimeFormat);
        if (error)
            return error;
    }
    // A new format is checked with the input, if the sound system answers; if not, the
    // Record that follows says so.
    if (flags & kWaveSetFlags)
        return device.SetWaveFormat(flags, *reinterpret_cast<MCI_WAVE_SET_PARMS*>(params), SoundSystemReady());
    return 0;
}

CWaveEngine& GetWaveEngine()
{
    static CWaveEngine engine;
    return engine;
}
