#pragma once
#include <cstddef>
#include <cstdint>

namespace wave {

// Random-access bytes the WAVE parser reads from: a file, a memory block, a test double.
class IWaveByteSource {
public:
    virtual ~IWaveByteSource() {}
    virtual uint64_t Size() const = 0;
    // Reads exactly n bytes at offset; false if they are not all there or the read failed.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
};

} // namespace wave
