#pragma once
#include "CEngineDevice.h"
#include <chrono>
#include <future>
#include <map>
#include <thread>

// Our own in-process waveaudio devices, driven by MCI command messages and records
// (the same contract as mciSendCommandA for the "waveaudio" type).
//
// Which thread owns what:
// - The caller's thread (the window's; a test's own) owns the engine, its devices and all
//   they hold. Nothing else calls in, so the engine takes no lock. A save that copies calls
//   the device's yield procedure on that thread, which may send status and transport
//   commands meanwhile, never one that closes the device that saves.
// - The sound system starts once, on a thread of its own (m_starter); what needs the sound
//   system waits for it through a future, until a deadline, never under a lock.
// - A take or a play runs on a worker of its stream (CWaveStream), which reports back through
//   atomics and one posted notice (CMciNotice). The driver calls that can hang are made on the
//   stream's one driver thread (CDriverThread), each waited for at most its limit. A player's
//   device handle is shared by its worker and the caller's Pause, Resume and position under
//   m_deviceLock, which is held while a call is handed over, never while one is waited for; a
//   recorder's is its worker's alone.
// - A take's file is written by its writer thread (CTakeWriter) and read by a player or a save
//   under the file's own lock (CTempFile, CWaveFile); a save that copies runs on a thread of
//   its own, which the caller waits for.
class CWaveEngine {
public:
    explicit CWaveEngine(EngineSeams seams = EngineSeams());
    ~CWaveEngine();   // closes every device still open, removing its temp files

    MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params);
    BOOL SetYieldProc(MCIDEVICEID id, MciYield yield);

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
    const EngineSeams m_seams;
};

// The engine the program's port uses.
CWaveEngine& GetWaveEngine();
