#pragma once
#include "CTempFile.h"
#include "CWaveStream.h"

// Captures from the default input into a take file. Many short buffers stay queued with the
// driver, so a slow window thread or a busy disk does not lose audio; the worker writes each
// filled buffer and queues it again. The take is a WAVE file from its first byte: its header
// is brought up to date and the file flushed about once a second, so that a crash leaves a
// playable file of all but the last second.
class CWaveRecorder : public CWaveStream {
public:
    CWaveRecorder(const wave::PcmFormat& format, std::shared_ptr<CTempFile> take, uint64_t limitBytes,
                  std::shared_ptr<CMciNotice> notice);
    ~CWaveRecorder() override;

    // Opens the input and starts capturing; returns once the device runs.
    MCIERROR Start();
    // Sound bytes written to the take so far (whole blocks), after its header.
    uint64_t RecordedBytes() const { return m_recorded.load(); }

    static const unsigned kBufferCount = 64;
    static const unsigned kBuffersPerSecond = 40;   // 25 ms each
    static const DWORD kHeaderEveryMs = 1000;

private:
    Outcome CollectDone() override;
    Outcome EndDevice(Outcome outcome) override;
    Outcome Collect(bool requeue);
    Outcome Keep(const WAVEHDR& header);
    // Writes the header for what is recorded so far and flushes the take.
    bool UpdateHeader();
    void CloseDevice(bool failed);

    std::shared_ptr<CTempFile> m_take;
    uint64_t m_limit;
    HWAVEIN m_hIn = nullptr;
    DWORD m_headerTick = 0;
    std::atomic<uint64_t> m_recorded{0};
};
