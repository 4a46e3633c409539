#include "WaveCodec.h"
#include "CMemoryByteSource.h"
#include <algorithm>
#include <cstring>

namespace wave {

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr uint32_t kFmtBytes = 16;
constexpr uint32_t kExtensibleFmtBytes = 40;
constexpr uint16_t kExtensibleExtraBytes = 22;
// Smallest RIFF size that can hold "WAVE", a 16-byte fmt chunk and a data chunk header.
constexpr uint64_t kMinRiffSize = 4 + 8 + kFmtBytes + 8;
// KSDATAFORMAT_SUBTYPE_PCM as it is stored in a file.
const uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                   0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutLe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool IsId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// Reads the fmt chunk body (size bytes at offset) into a checked PCM format.
WaveError ParseFormatChunk(IWaveByteSource& source, uint64_t offset, uint32_t size, PcmFormat& format)
{
    if (size < kFmtBytes)
        return WaveError::BadFormatChunk;
    uint8_t body[kExtensibleFmtBytes] = {};
    const uint32_t wanted = std::min(size, kExtensibleFmtBytes);
    if (!source.ReadAt(offset, body, wanted))
        return WaveError::ReadFailed;

    const uint16_t tag = Le16(body);
    format.channels = Le16(body + 2);
    format.samplesPerSec = Le32(body + 4);
    format.avgBytesPerSec = Le32(body + 8);
    format.blockAlign = Le16(body + 12);
    format.bitsPerSample = Le16(body + 14);

    if (tag == kTagExtensible) {
        if (size < kExtensibleFmtBytes || Le16(body + 16) < kExtensibleExtraBytes)
            return WaveError::BadFormatChunk;
        if (std::memcmp(body + 24, kPcmSubFormat, sizeof kPcmSubFormat) != 0)
            return WaveError::NotPcm;
        // Valid bits may be fewer than the container (e.g. 12 in 16); such samples play as
        // the container size. More than the container is a contradiction.
        if (Le16(body + 18) > format.bitsPerSample)
            return WaveError::BadFormatChunk;
    } else if (tag != kTagPcm) {
        return WaveError::NotPcm;
    }
    return CheckPcmFormat(format);
}

// A chunk that does not fit: cut off by the end of the file, or only outside the RIFF's
// own claimed size (which then cannot be true).
WaveError Overrun(uint64_t end, uint64_t fileSize, WaveError cutOff)
{
    return end > fileSize ? cutOff : WaveError::BadRiffSize;
}

struct ChunkWalk {
    bool haveFormat = false;
    bool haveData = false;
    uint64_t dataOffset = 0;
    uint32_t dataBytes = 0;
};

WaveError WalkChunks(IWaveByteSource& source, uint64_t walkEnd, uint64_t fileSize,
                     PcmFormat& format, ChunkWalk& walk)
{
    uint64_t pos = 12;
    unsigned chunks = 0;
    while (!(walk.haveFormat && walk.haveData) && pos + 8 <= walkEnd) {
        if (++chunks > kMaxChunks)
            return WaveError::TooManyChunks;
        uint8_t header[8];
        if (!source.ReadAt(pos, header, sizeof header))
            return WaveError::ReadFailed;
        const uint32_t size = Le32(header + 4);
        const uint64_t body = pos + 8;
        const uint64_t end = body + size;
        if (IsId(header, "fmt ")) {
            if (walk.haveFormat)
                return WaveError::DuplicateFormat;
            if (end > walkEnd)
                return Overrun(end, fileSize, WaveError::Truncated);
            const WaveError error = ParseFormatChunk(source, body, size, format);
            if (error != WaveError::None)
                return error;
            walk.haveFormat = true;
        } else if (IsId(header, "data") && !walk.haveData) {
            // Refused rather than clamped: a data chunk longer than the file is a file cut
            // short or a header that lies, and passing off the remainder as the whole
            // recording would hide the damage from the user.
            if (end > walkEnd)
                return Overrun(end, fileSize, WaveError::DataTruncated);
            walk.haveData = true;
            walk.dataOffset = body;
            walk.dataBytes = size;
        }
        // An odd chunk is followed by a pad byte; a missing pad at the very end is harmless.
        pos = end + (size & 1u);
    }
    return WaveError::None;
}

} // namespace

const char* WaveErrorName(WaveError error)
{
    switch (error) {
    case WaveError::None: return "none";
    case WaveError::ReadFailed: return "read failed";
    case WaveError::Truncated: return "truncated";
    case WaveError::NotRiff: return "not a RIFF file";
    case WaveError::NotWave: return "not a WAVE file";
    case WaveError::BadRiffSize: return "impossible RIFF size";
    case WaveError::TooManyChunks: return "too many chunks";
    case WaveError::NoFormat: return "no fmt chunk";
    case WaveError::DuplicateFormat: return "two fmt chunks";
    case WaveError::BadFormatChunk: return "malformed fmt chunk";
    case WaveError::NotPcm: return "not PCM";
    case WaveError::ZeroChannels: return "zero channels";
    case WaveError::TooManyChannels: return "too many channels";
    case WaveError::ZeroRate: return "zero sample rate";
    case WaveError::UnsupportedBits: return "unsupported bits per sample";
    case WaveError::BadBlockAlign: return "inconsistent block align";
    case WaveError::BadAvgBytes: return "inconsistent bytes per second";
    case WaveError::NoData: return "no data chunk";
    case WaveError::DataTruncated: return "data chunk longer than the file";
    }
    return "unknown";
}

WaveError ParseWave(IWaveByteSource& source, WaveLayout& layout)
{
    const uint64_t fileSize = source.Size();
    uint8_t head[12];
    if (fileSize < sizeof head)
        return WaveError::Truncated;
    if (!source.ReadAt(0, head, sizeof head))
        return WaveError::ReadFailed;
    if (!IsId(head, "RIFF"))
        return WaveError::NotRiff;
    if (!IsId(head + 8, "WAVE"))
        return WaveError::NotWave;
    const uint64_t riffEnd = 8 + static_cast<uint64_t>(Le32(head + 4));
    if (riffEnd < 8 + kMinRiffSize)
        return WaveError::BadRiffSize;

    // Bytes after the RIFF's end are not part of it; a RIFF that claims more than the file
    // holds is walked as far as the file goes, and judged by whether its chunks are whole.
    const uint64_t walkEnd = std::min(riffEnd, fileSize);
    PcmFormat format;
    ChunkWalk walk;
    const WaveError error = WalkChunks(source, walkEnd, fileSize, format, walk);
    if (error != WaveError::None)
        return error;
    if (!walk.haveFormat || !walk.haveData) {
        if (riffEnd > fileSize)
            return WaveError::Truncated;
        return walk.haveFormat ? WaveError::NoData : WaveError::NoFormat;
    }
    layout.format = format;
    layout.dataOffset = walk.dataOffset;
    // A writer stopped mid-sample leaves a partial last block; dropping that fragment keeps
    // every channel aligned and loses less than one sample frame.
    layout.dataBytes = walk.dataBytes - walk.dataBytes % format.blockAlign;
    return WaveError::None;
}

WaveError ParseWave(const void* data, size_t size, WaveLayout& layout)
{
    CMemoryByteSource source(data, data ? size : 0);
    return ParseWave(source, layout);
}

PcmFormat MakePcmFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample)
{
    PcmFormat format;
    format.channels = channels;
    format.samplesPerSec = samplesPerSec;
    format.bitsPerSample = bitsPerSample;
    format.blockAlign = static_cast<uint16_t>(channels * (bitsPerSample / 8));
    format.avgBytesPerSec = samplesPerSec * format.blockAlign;
    return format;
}

WaveError CheckPcmFormat(const PcmFormat& format)
{
    if (format.channels == 0)
        return WaveError::ZeroChannels;
    if (format.channels > kMaxChannels)
        return WaveError::TooManyChannels;
    if (format.samplesPerSec == 0)
        return WaveError::ZeroRate;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return WaveError::UnsupportedBits;
    if (format.blockAlign != format.channels * (format.bitsPerSample / 8))
        return WaveError::BadBlockAlign;
    const uint64_t perSecond = static_cast<uint64_t>(format.samplesPerSec) * format.blockAlign;
    if (format.avgBytesPerSec != perSecond)
        return WaveError::BadAvgBytes;
    return WaveError::None;
}

uint32_t MaxDataBytes(const PcmFormat& format)
{
    if (format.blockAlign == 0)
        return 0;
    // RIFF size = 36 + data + pad must fit 32 bits; leaving room for the pad covers odd sizes.
    const uint32_t limit = 0xFFFFFFFFu - 36u - 1u;
    return limit - limit % format.blockAlign;
}

bool BuildPcmHeader(const PcmFormat& format, uint32_t dataBytes, uint8_t (&header)[kPcmHeaderBytes])
{
    if (CheckPcmFormat(format) != WaveError::None)
        return false;
    if (dataBytes > MaxDataBytes(format) || dataBytes % format.blockAlign != 0)
        return false;
    std::memcpy(header, "RIFF", 4);
    PutLe32(header + 4, 36u + dataBytes + PadBytes(dataBytes));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLe32(header + 16, kFmtBytes);
    PutLe16(header + 20, kTagPcm);
    PutLe16(header + 22, format.channels);
    PutLe32(header + 24, format.samplesPerSec);
    PutLe32(header + 28, format.avgBytesPerSec);
    PutLe16(header + 32, format.blockAlign);
    PutLe16(header + 34, format.bitsPerSample);
    std::memcpy(header + 36, "data", 4);
    PutLe32(header + 40, dataBytes);
    return true;
}

} // namespace wave
