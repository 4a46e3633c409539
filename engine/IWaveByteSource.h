#pragma once
#include <cstddef>
#include <cstdint>

namespace wave {

// Random-access bytes, read from any thread: what the WAVE parser reads a file from, and what a
// device's sound is read from as it plays and saves (the take, or a user's file held open).
class IWaveByteSource {
public:
    virtual ~IWaveByteSource() {}
    virtual uint64_t Size() const = 0;
    // Reads exactly n bytes at offset; false if they are not all there or the read failed.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
};

} // namespace wave
