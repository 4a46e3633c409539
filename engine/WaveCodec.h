#pragma once
// Reading and writing the layout of PCM WAVE files. No Win32 here: this builds natively
// too, so it can run under sanitizers and a fuzzer.
#include "IWaveByteSource.h"
#include <cstddef>
#include <cstdint>

namespace wave {

struct PcmFormat {
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

struct WaveLayout {
    PcmFormat format;
    uint64_t dataOffset = 0; // file offset of the first sample byte
    uint32_t dataBytes = 0;  // always a whole number of blocks
};

enum class WaveError {
    None,
    ReadFailed,       // the byte source failed to deliver bytes it holds
    Truncated,        // the file ends before a chunk it needs is complete
    NotRiff,          // no "RIFF" magic (RIFX, RF64 and everything else)
    NotWave,          // a RIFF file of another form type
    BadRiffSize,      // the RIFF size cannot be true of this file
    TooManyChunks,    // more chunks than any real file has before its data
    NoFormat,         // no fmt chunk
    DuplicateFormat,  // two fmt chunks: which one is true is unknowable
    BadFormatChunk,   // fmt chunk too short or its extension inconsistent
    NotPcm,           // compressed or float samples
    ZeroChannels,
    TooManyChannels,
    ZeroRate,
    UnsupportedBits,  // only 8- and 16-bit PCM
    BadBlockAlign,    // block align is not channels * bytes per sample
    BadAvgBytes,      // bytes per second is not rate * block align
    NoData,           // no data chunk
    DataTruncated,    // the data chunk claims more bytes than the file holds
};

// Stable English name of an error, for logs and test messages.
const char* WaveErrorName(WaveError error);

// Largest channel count accepted; the recorder itself makes mono and stereo only.
constexpr uint16_t kMaxChannels = 8;
// Chunks walked before giving up; real files have a handful.
constexpr unsigned kMaxChunks = 1024;
// Size of the header BuildPcmHeader writes.
constexpr size_t kPcmHeaderBytes = 44;

WaveError ParseWave(IWaveByteSource& source, WaveLayout& layout);
WaveError ParseWave(const void* data, size_t size, WaveLayout& layout);

// A consistent format for the given shape (block align and bytes/s computed).
PcmFormat MakePcmFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);
// None if the format is PCM the recorder can hold: 1..kMaxChannels, non-zero rate, 8 or 16
// bits, block align and bytes/s that agree with them.
WaveError CheckPcmFormat(const PcmFormat& format);

// Largest data size, in whole blocks, whose file still fits the 32-bit RIFF size.
uint32_t MaxDataBytes(const PcmFormat& format);
// Bytes a data chunk of this size is followed by (RIFF pads odd chunks to even).
inline uint32_t PadBytes(uint32_t dataBytes) { return dataBytes & 1u; }

// Writes the canonical 44-byte header (RIFF, 16-byte fmt, data) for a consistent format
// and a data size up to MaxDataBytes. The caller writes the pad byte after odd data.
bool BuildPcmHeader(const PcmFormat& format, uint32_t dataBytes, uint8_t (&header)[kPcmHeaderBytes]);

} // namespace wave
