#pragma once
#include "CEngineDevice.h"
#include <map>
#include <memory>
#include <mutex>
#include <thread>

// Our own in-process waveaudio devices, driven by MCI command messages and records
// (the same contract as mciSendCommandA for the "waveaudio" type).
class CWaveEngine {
public:
    CWaveEngine();
    ~CWaveEngine();   // closes every device still open, removing its temp files

    MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params);

    // Caps the sound bytes a device holds (normally the 4 GiB WAVE limit), so tests can
    // reach the limit in seconds. Applies to devices opened afterwards.
    void SetDataLimitForTesting(uint64_t bytes) { m_dataLimit = bytes; }
    size_t OpenDeviceCount() const;

private:
    MCIERROR Open(DWORD flags, MCI_OPEN_PARMSA* parms);
    MCIERROR Close(MCIDEVICEID id);
    MCIERROR Dispatch(CEngineDevice& device, UINT msg, DWORD flags, DWORD_PTR params);
    MCIERROR Set(CEngineDevice& device, DWORD flags, DWORD_PTR params);

    // Waits for the sound system to be started and the input primed (see PrimeInput); every
    // command that reaches the sound system calls it first.
    void WaitForPrimedInput();

    std::thread m_primer;
    mutable std::recursive_mutex m_lock;
    std::map<MCIDEVICEID, std::unique_ptr<CEngineDevice>> m_devices;
    MCIDEVICEID m_lastId = 0;
    uint64_t m_dataLimit;
};

// The engine the program's port uses.
CWaveEngine& GetWaveEngine();
