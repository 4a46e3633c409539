#pragma once
#include "CTempFile.h"
#include "CWaveStream.h"

// Captures from the default input into a take file. Many short buffers stay queued with the
// driver, so a slow window thread or a busy disk does not lose audio; the worker writes each
// filled buffer and queues it again. The take is a WAVE file from its first byte: its header
// is brought up to date and the file flushed about once a second, so that a crash leaves a
// playable file of all but the last second.
//
// A recorder may also start warm, with no take: the input runs and what it hears is dropped,
// so that a take begun soon after start-up need not wait for the input to start delivering.
// Adopt gives it its take; only what the input hears from then on goes into it.
class CWaveRecorder : public CWaveStream {
public:
    CWaveRecorder(const wave::PcmFormat& format, std::shared_ptr<CTempFile> take, uint64_t limitBytes,
                  std::shared_ptr<CMciNotice> notice);
    // A warm recorder; it lets the input go after warmMs without a take.
    CWaveRecorder(const wave::PcmFormat& format, DWORD warmMs);
    ~CWaveRecorder() override;

    // Opens the input and starts capturing; returns once the device runs.
    MCIERROR Start();
    // Gives a warm recorder its take; false once it has let the input go.
    bool Adopt(std::shared_ptr<CTempFile> take, uint64_t limitBytes, std::shared_ptr<CMciNotice> notice);
    const wave::PcmFormat& Format() const { return m_format; }
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
    // Writes the header for what is recorded so far, and flushes the take if asked.
    bool UpdateHeader(bool flush);
    void CloseDevice(bool failed);

    // The take, its room and what of the input goes into it; set once for a warm recorder.
    std::mutex m_takeLock;
    std::shared_ptr<CTempFile> m_take;
    uint64_t m_limit;
    uint64_t m_heard = 0;    // bytes the input has handed back, kept or not
    uint64_t m_keepFrom = 0; // the input's byte from which the take begins
    DWORD m_warmUntil = 0;   // a warm recorder's deadline (tick count)
    bool m_cold = false;     // a warm recorder that let the input go

    HWAVEIN m_hIn = nullptr;
    DWORD m_headerTick = 0;
    std::atomic<uint64_t> m_recorded{0};
};
