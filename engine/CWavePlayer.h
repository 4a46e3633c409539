#pragma once
#include "CWaveStream.h"

// Plays a stretch of a device's sound to the default output, refilling short buffers as the
// driver hands them back. The position is what the driver has played.
class CWavePlayer : public CWaveStream {
public:
    // Plays the bytes from..to of the sound that starts at 'offset' in 'sound', handing them to
    // the output in their own format.
    CWavePlayer(const wave::WaveFormat& format, std::shared_ptr<wave::IWaveByteSource> sound, uint64_t offset, uint64_t from,
                uint64_t to, std::shared_ptr<CMciNotice> notice);
    ~CWavePlayer() override;

    // Opens the output and starts playing; returns once the device runs.
    MCIERROR Start();
    void Pause();
    void Resume();
    // Bytes from 'from' that have been played, by the output's own clock while it runs (a
    // count of finished buffers would step by a whole buffer and lag the worker's wake-ups).
    // While paused, what had been played when the pause came; it never goes backwards.
    uint64_t PlayedBytes() const;
    // The peak of what was heard last, up to the position played (WaveLevel.h), not of what is
    // queued ahead of it; 0 while paused, when nothing is heard.
    uint32_t Level() const { return m_paused ? 0 : LevelBefore(PlayedBytes()); }

    static const unsigned kBufferCount = 16;
    static const unsigned kBuffersPerSecond = 40;   // 25 ms each

private:
    Outcome CollectDone() override;
    Outcome EndDevice(Outcome outcome) override;
    // Fills and queues a buffer with the next bytes; false on a read or driver error.
    bool Queue(WAVEHDR& header);
    void Closing() override;
    HWAVEOUT Output() const { return static_cast<HWAVEOUT>(m_device); }
    // The output's position, within what was queued and never behind an earlier answer;
    // call with m_deviceLock held.
    uint64_t DevicePosition() const;

    std::shared_ptr<wave::IWaveByteSource> m_sound;
    uint64_t m_offset;
    uint64_t m_from;
    uint64_t m_to;
    uint64_t m_nextRead;
    unsigned m_inFlight = 0;
    std::atomic<uint64_t> m_played{0};
    mutable std::atomic<uint64_t> m_reported{0};
};
