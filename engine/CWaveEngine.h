#pragma once
#include "CEngineDevice.h"
#include <chrono>
#include <future>
#include <map>
#include <thread>

// Our own in-process waveaudio devices, driven by MCI command messages and records
// (the same contract as mciSendCommandA for the "waveaudio" type).
class CWaveEngine {
public:
    CWaveEngine();
    ~CWaveEngine();   // closes every device still open, removing its temp files

    MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params);
    BOOL SetYieldProc(MCIDEVICEID id, MciYield yield);

    // Caps the sound bytes a device holds (normally the 4 GiB WAVE limit), so tests can
    // reach the limit in seconds. Applies to devices opened afterwards.
    void SetDataLimitForTesting(uint64_t bytes) { m_dataLimit = bytes; }
    size_t OpenDeviceCount() const;

private:
    MCIERROR Open(DWORD flags, MCI_OPEN_PARMSA& parms);
    MCIERROR Dispatch(CEngineDevice& device, UINT msg, DWORD flags, DWORD_PTR params);
    MCIERROR Set(CEngineDevice& device, DWORD flags, DWORD_PTR params);

    // Waits for the sound system's start, which runs on a thread of its own from the engine's
    // creation on; every command that reaches the sound system asks it first, so that it is
    // only ever started on one thread. A sound server that does not answer would hold the start
    // for as long as it is away, so the wait ends at a deadline, and until the start is done
    // the answer is false. The wait is a function that any thread may call.
    std::function<bool()> SoundSystemWait() const;
    // True once the start is done; never waits.
    bool SoundSystemStarted() const;

    std::thread m_starter;
    std::shared_future<void> m_started;
    std::chrono::steady_clock::time_point m_startDeadline;
    std::map<MCIDEVICEID, std::unique_ptr<CEngineDevice>> m_devices;
    MCIDEVICEID m_lastId = 0;
    uint64_t m_dataLimit;
};

// The engine the program's port uses.
CWaveEngine& GetWaveEngine();
