#pragma once
#include "CTempFile.h"
#include "WaveCodec.h"
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Writes a take to its file on a thread of its own, so that a slow disk never holds the capture:
// the capture hands over what the input delivered and goes straight back to the driver. The
// writer takes what has gathered every kWriteEveryMs and writes it at once: a wake-up and a
// write per input buffer cost more than the writing. About once a second it brings the header
// up to date with what it has written and flushes, so that a crash leaves a playable file of all
// but the last second.
class CTakeWriter {
public:
    CTakeWriter(const wave::WaveFormat& format, std::shared_ptr<CTempFile> take);
    ~CTakeWriter();
    CTakeWriter(const CTakeWriter&) = delete;
    CTakeWriter& operator=(const CTakeWriter&) = delete;

    // Writes the empty take's header and starts writing; false if the header cannot be written.
    bool Start();
    // Queues bytes for the take; false once a write has failed, or when the disk has fallen so
    // far behind that the queue is full. What was queued before is still written.
    bool Write(const char* data, DWORD n);
    // Writes what is queued, the final header, and flushes; false if the take failed.
    bool Finish();
    bool Failed() const { return m_failed.load() || m_full.load(); }

    static const DWORD kWriteEveryMs = 250;
    static const DWORD kHeaderEveryMs = 1000;
    // About six minutes of the richest recording format: a disk that stalls longer has failed.
    static const size_t kMaxQueuedBytes = 64u * 1024 * 1024;

private:
    void Run();
    // Writes the header for the bytes written so far, and flushes the take if asked.
    bool UpdateHeader(bool flush);

    const wave::WaveFormat m_format;
    const std::shared_ptr<CTempFile> m_take;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<char> m_queue;   // what the capture handed over since the writer last took it
    bool m_finishing = false;
    std::atomic<bool> m_failed{false};   // a write failed: nothing more goes to the file
    std::atomic<bool> m_full{false};     // the queue filled: the take ends, the queue is written
    uint32_t m_written = 0;   // only the writer's thread touches it once started
    std::thread m_thread;
};
