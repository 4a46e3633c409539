#pragma once
// WAVE bytes the tests hold in memory: parsed as the engine parses a file, and the parser's
// refusals by a stable English name for test messages. No Win32: the native tests use it too.
#include "WaveCodec.h"
#include <cstring>

namespace wave {

// A memory block seen as a byte source; it does not own the bytes.
class CMemoryByteSource : public IWaveByteSource {
public:
    CMemoryByteSource(const void* data, size_t size) : m_pData(static_cast<const uint8_t*>(data)), m_nSize(size) {}
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

inline WaveError ParseWave(const void* data, size_t size, WaveLayout& layout)
{
    CMemoryByteSource source(data, data ? size : 0);
    return ParseWave(source, layout);
}

inline const char* WaveErrorName(WaveError error)
{
    switch (error) {
    case WaveError::None: return "none";
    case WaveError::ReadFailed: return "read failed";
    case WaveError::Truncated: return "truncated";
    case WaveError::NotRiff: return "not a RIFF file";
    case WaveError::UnsupportedRiff: return "unsupported RIFF variant";
    case WaveError::NotWave: return "not a WAVE file";
    case WaveError::BadRiffSize: return "impossible RIFF size";
    case WaveError::TooManyChunks: return "too many chunks";
    case WaveError::NoFormat: return "no fmt chunk";
    case WaveError::DuplicateFormat: return "two fmt chunks";
    case WaveError::BadFormatChunk: return "malformed fmt chunk";
    case WaveError::UnsupportedEncoding: return "unsupported encoding";
    case WaveError::ZeroChannels: return "zero channels";
    case WaveError::TooManyChannels: return "too many channels";
    case WaveError::ZeroRate: return "zero sample rate";
    case WaveError::RateTooHigh: return "sample rate too high";
    case WaveError::UnsupportedBits: return "unsupported bits per sample";
    case WaveError::BadBlockAlign: return "inconsistent block align";
    case WaveError::BadAvgBytes: return "inconsistent bytes per second";
    case WaveError::NoData: return "no data chunk";
    case WaveError::DataTruncated: return "data chunk longer than the file";
    }
    return "unknown";
}

} // namespace wave
