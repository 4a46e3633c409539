#pragma once
#include <atomic>
#include <cstdint>

// The peaks of the last buffers a stream handled, each with where it lies in the stream (in
// bytes), written by the stream's worker and read by the window thread without a lock: the
// capture path must never wait for a meter. A reading that races a write may miss the newest
// buffer; it never mixes in one from elsewhere in the stream.
class CLevelHistory {
public:
    // The writer only: the buffer of 'bytes' bytes from 'start' on had this peak
    // (see WaveLevel.h). Buffers are added in the order of the stream.
    void Add(uint64_t start, uint64_t bytes, uint32_t level);
    // The peak, per channel, of the buffers that overlap [from, to); 0 if none does.
    uint32_t Peak(uint64_t from, uint64_t to) const;
    // Where the newest buffer ends; 0 before the first.
    uint64_t End() const { return m_end.load(std::memory_order_acquire); }

    // More than a player keeps queued ahead of what is heard, and the buffers heard last.
    static const unsigned kSize = 32;

private:
    struct Slot {
        std::atomic<uint64_t> start{0};
        std::atomic<uint64_t> end{0};   // 0: empty, or being written
        std::atomic<uint32_t> level{0};
    };
    Slot m_slots[kSize];
    unsigned m_next = 0;   // the writer's own
    std::atomic<uint64_t> m_end{0};
};
