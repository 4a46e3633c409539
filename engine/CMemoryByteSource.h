#pragma once
#include "IWaveByteSource.h"
#include <cstring>

namespace wave {

// A memory block seen as a byte source; it does not own the bytes.
class CMemoryByteSource : public IWaveByteSource {
public:
    CMemoryByteSource(const void* data, size_t size)
        : m_pData(static_cast<const uint8_t*>(data)), m_nSize(size) {}

    uint64_t Size() const override { return m_nSize; }

    bool ReadAt(uint64_t offset, void* buffer, size_t n) override
    {
        if (offset > m_nSize || n > m_nSize - offset)
            return false;
        if (n)
            std::memcpy(buffer, m_pData + offset, n);
        return true;
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
};

} // namespace wave
