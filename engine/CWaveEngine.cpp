#include "CWaveEngine.h"
#include "MciContract.h"
#include "TimedDriverCalls.h"
#include <cstring>
#include <thread>

namespace {
// A device id is a WORD; 0 means "no device" and MCI_ALL_DEVICE_ID is reserved.
const MCIDEVICEID kLastUsableId = 0xFFFE;
} // namespace

CWaveEngine::CWaveEngine(EngineSeams seams)
    : m_startDeadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(2 * kDriverLimitMs)),
      m_seams(std::move(seams))
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

MCIERROR CWaveEngine::SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params)
{
    const auto found = m_devices.find(id);
    if (const MCIERROR refused = CheckMciCommand(found != m_devices.end(), id, msg, flags, params))
        return refused;
    switch (msg) {
    case MCI_OPEN: return Open(static_cast<DWORD>(flags), *reinterpret_cast<MCI_OPEN_PARMSA*>(params));
    case MCI_CLOSE: m_devices.erase(found); return 0;
    default: return Dispatch(*found->second, msg, static_cast<DWORD>(flags), params);
    }
}

BOOL CWaveEngine::SetYieldProc(MCIDEVICEID id, MciYield yield)
{
    const auto found = m_devices.find(id);
    if (found == m_devices.end())
        return FALSE;
    found->second->SetYield(std::move(yield));
    return TRUE;
}

MCIERROR CWaveEngine::Open(DWORD flags, MCI_OPEN_PARMSA& parms)
{
    if (m_devices.size() >= kLastUsableId)
        return MCIERR_OUT_OF_MEMORY;
    do
        m_lastId = m_lastId >= kLastUsableId ? 1 : m_lastId + 1;
    while (m_devices.count(m_lastId));
    auto device = std::make_unique<CEngineDevice>(m_lastId, m_seams);
    const MCIERROR error =
        device->Load((flags & MCI_OPEN_ELEMENT) ? parms.lpstrElementName : nullptr, (flags & kWaveOpenTake) != 0);
    if (error)
        return error;
    parms.wDeviceID = m_lastId;
    m_devices[m_lastId] = std::move(device);
    return 0;
}

MCIERROR CWaveEngine::Dispatch(CEngineDevice& device, UINT msg, DWORD flags, DWORD_PTR params)
{
    switch (msg) {
    case MCI_SET: return Set(device, flags, params);
    case MCI_STATUS: {
        auto* status = reinterpret_cast<MCI_STATUS_PARMS*>(params);
        status->dwReturn = device.Status(status->dwItem);
        return 0;
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
    case MCI_SEEK: return device.Seek(*reinterpret_cast<MCI_SEEK_PARMS*>(params));
    case MCI_SAVE:
    default:   // the contract lets no other command through
        return device.Save(reinterpret_cast<MCI_SAVE_PARMSA*>(params)->lpfilename);
    }
}

MCIERROR CWaveEngine::Set(CEngineDevice& device, DWORD flags, DWORD_PTR params)
{
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
