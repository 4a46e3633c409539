#pragma once
#include "CMciNotice.h"
#include "CPcmContent.h"
#include "WaveCodec.h"
#include "WaveDriver.h"
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Plays a byte range of the content to the default output on a worker thread, refilling
// short buffers as the driver hands them back. The position is what the driver has played.
class CWavePlayer {
public:
    CWavePlayer(const wave::PcmFormat& format, const CPcmContent& content, uint64_t from,
                uint64_t to, std::shared_ptr<CMciNotice> notice);
    ~CWavePlayer();

    // Opens the output and starts playing; returns once the device runs.
    MCIERROR Start();
    // Ends playback where it is; waits for the worker.
    void Stop();
    void Pause();
    void Resume();
    // Bytes from 'from' that have been played, by the output's own clock while it runs (a
    // count of finished buffers would step by a whole buffer and lag the worker's wake-ups).
    // While paused, what had been played when the pause came; it never goes backwards.
    uint64_t PlayedBytes() const;
    // True once the worker ended by itself: the range is played, or the device failed.
    bool HasEnded() const { return m_ended.load(); }

    static const unsigned kBufferCount = 16;
    static const unsigned kBuffersPerSecond = 40;   // 25 ms each

private:
    enum class Outcome { Running, Done, Failed };

    void Run();
    Outcome CollectDone();
    // Fills and queues a buffer with the next bytes; false on a read or driver error.
    bool Queue(WAVEHDR& header);
    void Finish(Outcome outcome);
    void CloseDevice(bool failed);
    // The output's position, within what was queued and never behind an earlier answer;
    // call with m_deviceLock held.
    uint64_t DevicePosition() const;

    wave::PcmFormat m_format;
    CPcmContent m_content;   // a snapshot sharing the device's files
    uint64_t m_from;
    uint64_t m_to;
    uint64_t m_nextRead;
    std::shared_ptr<CMciNotice> m_notice;
    HWAVEOUT m_hOut = nullptr;
    SharedEvent m_event;
    std::vector<std::vector<char>> m_buffers;
    std::vector<WAVEHDR> m_headers;
    size_t m_next = 0;
    unsigned m_inFlight = 0;
    std::atomic<DWORD> m_lastDoneTick{0};   // written by the worker and by Resume
    mutable std::mutex m_deviceLock;
    std::thread m_worker;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_ended{false};
    std::atomic<uint64_t> m_played{0};
    mutable std::atomic<uint64_t> m_reported{0};
};
