#include "CWaveEngine.h"
#include "TimedDriverCalls.h"
#include <cstring>
#include <thread>

namespace {

const DWORD kWaveSetFlags = MCI_WAVE_SET_FORMATTAG | MCI_WAVE_SET_CHANNELS | MCI_WAVE_SET_SAMPLESPERSEC |
                            MCI_WAVE_SET_AVGBYTESPERSEC | MCI_WAVE_SET_BLOCKALIGN |
                            MCI_WAVE_SET_BITSPERSAMPLE;
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
    // processor to the first paint. It opens no input: that is Record's alone.
    std::promise<void> started;
    m_started = started.get_future().share();
    m_starter = std::thread([](std::promise<void> done) {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        waveInGetNumDevs();
        waveOutGetNumDevs();
        done.set_value();
    }, std::move(started));
}

CWaveEngine::~CWaveEngine()
{
    // The process must not end under a start that is still running; one held by a server
    // that does not answer is left to end with it.
    if (SoundSystemWait()())
        m_starter.join();
    else
        m_starter.detach();
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_devices.clear();
}

std::function<bool()> CWaveEngine::SoundSystemWait() const
{
    return [started = m_started, deadline = m_startDeadline] {
        return started.wait_until(deadline) == std::future_status::ready;
    };
}

bool CWaveEngine::SoundSystemStarted() const
{
    return m_started.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
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
        // The window never waits for the input: it is opened once the sound system has started.
        // Where that is known already, a system without an input says so at once.
        if (SoundSystemStarted() && waveInGetNumDevs() == 0)
            return MCIERR_WAVE_INPUTSUNSUITABLE;
        return device.Record(flags, *reinterpret_cast<MCI_RECORD_PARMS*>(params), SoundSystemWait());
    case MCI_PLAY:
        if (!SoundSystemWait()())
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
    // A new format is checked with the input if the sound system has started; the window does
    // not wait for it here, and a format the input refuses then ends the take at its start.
    if (flags & kWaveSetFlags)
        return device.SetWaveFormat(flags, *reinterpret_cast<MCI_WAVE_SET_PARMS*>(params), SoundSystemStarted());
    return 0;
}

CWaveEngine& GetWaveEngine()
{
    static CWaveEngine engine;
    return engine;
}
