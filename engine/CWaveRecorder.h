#pragma once
#include "CMciNotice.h"
#include "CTempFile.h"
#include "WaveCodec.h"
#include "WaveDriver.h"
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Captures from the default input into a take file on a worker thread. Many short buffers
// stay queued with the driver, so a slow window thread or a busy disk does not lose audio;
// the worker, woken by the driver's event, writes each filled buffer and queues it again.
// The take is a WAVE file from its first byte: its header is brought up to date and the file
// flushed about once a second, so that a crash leaves a playable file of all but the last
// second.
class CWaveRecorder {
public:
    CWaveRecorder(const wave::PcmFormat& format, std::shared_ptr<CTempFile> take,
                  uint64_t limitBytes, std::shared_ptr<CMciNotice> notice);
    ~CWaveRecorder();

    // Opens the input and starts capturing; returns once the device runs.
    MCIERROR Start();
    // Ends capture keeping every byte the driver delivered; waits for the worker.
    void Stop();
    void Pause();
    void Resume();
    // Sound bytes written to the take so far (whole blocks), after its header.
    uint64_t RecordedBytes() const { return m_recorded.load(); }
    // True once the worker ended by itself: limit reached, or the device failed.
    bool HasEnded() const { return m_ended.load(); }

    static const unsigned kBufferCount = 64;
    static const unsigned kBuffersPerSecond = 40;   // 25 ms each
    static const DWORD kHeaderEveryMs = 1000;

private:
    enum class Outcome { Running, LimitReached, Failed };

    void Run();
    Outcome CollectDone(bool requeue);
    Outcome Keep(const WAVEHDR& header);
    // Writes the header for what is recorded so far and flushes the take.
    bool UpdateHeader();
    void Finish(Outcome outcome);
    void CloseDevice(bool failed);

    wave::PcmFormat m_format;
    std::shared_ptr<CTempFile> m_take;
    uint64_t m_limit;
    std::shared_ptr<CMciNotice> m_notice;
    HWAVEIN m_hIn = nullptr;
    SharedEvent m_event;
    std::vector<std::vector<char>> m_buffers;
    std::vector<WAVEHDR> m_headers;
    size_t m_next = 0;
    std::atomic<DWORD> m_lastDoneTick{0};   // written by the worker and by Resume
    DWORD m_headerTick = 0;
    std::mutex m_deviceLock;
    std::thread m_worker;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_ended{false};
    std::atomic<uint64_t> m_recorded{0};
};
