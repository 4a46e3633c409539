#pragma once
#include "CTakeWriter.h"
#include "CWaveStream.h"
#include <functional>

// Captures from the default input into a take. The input is opened on the worker, so that
// Record returns at once and the window never waits for the sound system; the take begins when
// the input starts delivering. Many short buffers stay queued with the driver, and each filled
// one goes straight back to it once its bytes are handed to the take's writer, which does the
// disk's part on a thread of its own: a slow window thread or a slow disk loses no audio.
// The input is the worker's alone: the window reaches it only once Stop has joined the worker.
class CWaveRecorder : public CWaveStream {
public:
    // soundSystemReady waits for the sound system's start, and is false if it did not come.
    CWaveRecorder(const wave::WaveFormat& format, std::shared_ptr<CTempFile> take, uint64_t limitBytes,
                  std::shared_ptr<CMciNotice> notice, std::function<bool()> soundSystemReady);
    ~CWaveRecorder() override;

    // Readies the take and starts the worker, which opens the input; an input that cannot be
    // opened then ends the take as failed, with nothing recorded.
    MCIERROR Start();
    // Sound bytes captured so far (whole blocks), after the take's header.
    uint64_t RecordedBytes() const { return m_recorded.load(); }
    // The peak of the last of what the input delivered (WaveLevel.h); 0 before it delivers.
    uint32_t Level() const { return LevelBefore(m_levels.End()); }

    static const unsigned kBufferCount = 64;
    static const unsigned kBuffersPerSecond = 40;   // 25 ms each

private:
    Outcome BeginDevice() override;
    Outcome CollectDone() override;
    Outcome EndDevice(Outcome outcome) override;
    Outcome Collect(bool requeue);
    Outcome Keep(const WAVEHDR& header);
    HWAVEIN Input() const { return static_cast<HWAVEIN>(m_device); }

    std::function<bool()> m_soundSystemReady;
    CTakeWriter m_writer;
    const uint64_t m_limit;
    std::atomic<uint64_t> m_recorded{0};
};
