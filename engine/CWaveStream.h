#pragma once
#include "CLevelHistory.h"
#include "CMciNotice.h"
#include "TimedDriverCalls.h"
#include "WaveCodec.h"
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// What a running record or play shares: the device's opening and closing, the driver's
// buffers, a worker thread woken by the driver's event, the stall clock that takes a silent
// device for a failed one, the stop flag and the one notice the command owes. A recorder or
// player supplies only its direction's driver calls, its buffer handling and how its device
// ends. Derived destructors call Stop() first: the worker calls into them.
class CWaveStream {
public:
    virtual ~CWaveStream() = default;
    // Ends the worker; what the device delivered until then is kept.
    void Stop();
    // True once the worker ended by itself: done, or the device failed.
    bool HasEnded() const { return m_ended.load(); }

    // How much sound a level reading covers: about one refresh of a meter.
    static const unsigned kLevelWindowMs = 50;

protected:
    enum class Outcome { Running, Done, Failed };

    CWaveStream(const wave::WaveFormat& format, std::shared_ptr<CMciNotice> notice, const DriverCalls& driver);
    // Opens the device in the given format, signalling the stream's event (made here if there is
    // none yet), and gives it count buffers of about 1/perSecond s each, in whole blocks.
    MMRESULT OpenDevice(const WAVEFORMATEX& format, unsigned count, unsigned perSecond);
    // Lets the device go with its buffers, waiting for the driver at most its time limit, and
    // not at all after a failure: a failed device may never let go.
    void CloseDevice(bool failed);
    // Asked, with m_deviceLock held, of a device about to be let go that did not fail.
    virtual void Closing() {}
    // Starts the worker: once the device runs, or to open it (see BeginDevice).
    void StartWorker();
    // The worker's first step: a stream whose device is opened on the worker opens it here.
    virtual Outcome BeginDevice() { return Outcome::Running; }
    // Takes the buffers the driver handed back, in the order they were queued.
    virtual Outcome CollectDone() = 0;
    // Lets the device go; returns the outcome to tell, which ending may turn into a failure.
    virtual Outcome EndDevice(Outcome outcome) = 0;
    // A buffer came back: the device is alive.
    void SawBuffer() { m_lastDoneTick = GetTickCount(); }
    // For a command that has nothing to do: it has ended, successfully, before it began.
    void EndAtOnce();
    // The peak (WaveLevel.h) of the kLevelWindowMs of sound that end 'end' bytes into the stream.
    uint32_t LevelBefore(uint64_t end) const;

    const wave::WaveFormat m_format;   // the sound's own: a file's, or the recording format
    SharedEvent m_event;
    HANDLE m_device = nullptr;   // the HWAVEIN or HWAVEOUT; guarded by m_deviceLock
    std::vector<std::vector<char>> m_buffers;
    std::vector<WAVEHDR> m_headers;
    size_t m_next = 0;
    std::atomic<DWORD> m_lastDoneTick{0};   // written by the worker and by a resume
    std::atomic<bool> m_paused{false};      // a paused device returns nothing, and has not stalled
    std::atomic<bool> m_stopRequested{false};
    mutable std::mutex m_deviceLock;
    CLevelHistory m_levels;   // the peaks of the buffers handled, where they lie in the stream
    CDriverThread m_driverThread;   // the driver calls that can hang: open, close, pause, restart

private:
    void Run();
    void Post(WPARAM code);

    const std::shared_ptr<CMciNotice> m_notice;
    const DriverCalls& m_driver;

    std::thread m_worker;
    std::atomic<bool> m_ended{false};
};
