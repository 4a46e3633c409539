#include "CLevelHistory.h"
#include "WaveLevel.h"

void CLevelHistory::Add(uint64_t start, uint64_t bytes, uint32_t level)
{
    if (bytes == 0)
        return;
    Slot& slot = m_slots[m_next];
    m_next = (m_next + 1) % kSize;
    // Emptied first and filled last: a reader never sees one buffer's place with another's peak.
    slot.end.store(0, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    slot.start.store(start, std::memory_order_relaxed);
    slot.level.store(level, std::memory_order_relaxed);
    slot.end.store(start + bytes, std::memory_order_release);
    m_end.store(start + bytes, std::memory_order_release);
}

uint32_t CLevelHistory::Peak(uint64_t from, uint64_t to) const
{
    uint32_t peak = 0;
    for (const Slot& slot : m_slots) {
        const uint64_t end = slot.end.load(std::memory_order_acquire);
        const uint64_t start = slot.start.load(std::memory_order_relaxed);
        const uint32_t level = slot.level.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        // A slot rewritten while it was read ends elsewhere now: its reading is left out.
        if (end != 0 && start < to && end > from && slot.end.load(std::memory_order_relaxed) == end)
            peak = wave::MaxLevel(peak, level);
    }
    return peak;
}
