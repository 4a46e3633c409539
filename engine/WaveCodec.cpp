#include "WaveCodec.h"
#include <algorithm>
#include <cstring>

namespace wave {

namespace {

constexpr uint32_t kFmtBytes = 16;
constexpr uint32_t kCbSizeFmtBytes = 18; // the 16 bytes and a cbSize field
constexpr uint32_t kExtensibleFmtBytes = 40;
constexpr uint16_t kExtensibleExtraBytes = 22;
constexpr uint32_t kFactBytes = 4;
// Smallest RIFF size that can hold "WAVE", a 16-byte fmt chunk and a data chunk header.
constexpr uint64_t kMinRiffSize = 4 + 8 + kFmtBytes + 8;
// What a streaming writer puts in the sizes it cannot know.
constexpr uint32_t kUnwrittenSize = 0xFFFFFFFFu;
// The PCM and IEEE float sub-format GUIDs as they are stored in a file; they differ only in
// their first byte, which is the matching plain format tag.
const uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                   0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
const uint8_t kFloatSubFormat[16] = {0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
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

const uint8_t* SubFormatOf(SampleType type) { return type == SampleType::Float ? kFloatSubFormat : kPcmSubFormat; }

bool IsFloat(const WaveFormat& format) { return format.sampleType == SampleType::Float; }

bool ContainerSupported(SampleType type, uint16_t bits)
{
    if (type == SampleType::Float)
        return bits == 32 || bits == 64;
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Block align and bytes per second must follow from the shape; bytes/s is computed in 64 bits
// so a rate whose product overflows can never pass as consistent.
WaveError CheckArithmetic(const PcmFormat& format)
{
    if (format.blockAlign != format.channels * (format.bitsPerSample / 8))
        return WaveError::BadBlockAlign;
    const uint64_t perSecond = static_cast<uint64_t>(format.samplesPerSec) * format.blockAlign;
    if (format.avgBytesPerSec != perSecond)
        return WaveError::BadAvgBytes;
    return WaveError::None;
}

// The 16 bytes every fmt chunk and format block starts with.
void PutBaseFormat(uint8_t* p, uint16_t tag, const PcmFormat& format)
{
    PutLe16(p, tag);
    PutLe16(p + 2, format.channels);
    PutLe32(p + 4, format.samplesPerSec);
    PutLe32(p + 8, format.avgBytesPerSec);
    PutLe16(p + 12, format.blockAlign);
    PutLe16(p + 14, format.bitsPerSample);
}

// The 40-byte extensible format: base, cbSize 22, valid bits, channel mask, sub-format.
void PutExtensibleFormat(uint8_t* p, const WaveFormat& format, uint32_t channelMask)
{
    PutBaseFormat(p, kFormatExtensible, format);
    PutLe16(p + 16, kExtensibleExtraBytes);
    PutLe16(p + 18, format.validBits);
    PutLe32(p + 20, channelMask);
    std::memcpy(p + 24, SubFormatOf(format.sampleType), 16);
}

uint32_t MaxDataBytesAfter(size_t headerBytes, uint16_t blockAlign)
{
    if (blockAlign == 0)
        return 0;
    // RIFF size = header - 8 + data + pad must fit 32 bits; leaving room for the pad covers odd sizes.
    const uint32_t limit = 0xFFFFFFFFu - static_cast<uint32_t>(headerBytes - 8) - 1u;
    return limit - limit % blockAlign;
}

// Writes WaveHeaderBytes(format) bytes for a checked format and data size.
void WriteHeader(const WaveFormat& format, uint32_t dataBytes, uint8_t* p)
{
    const size_t total = WaveHeaderBytes(format);
    const bool extensible = format.formatTag == kFormatExtensible;
    const uint32_t fmtBytes = extensible ? kExtensibleFmtBytes : IsFloat(format) ? kCbSizeFmtBytes : kFmtBytes;
    std::memset(p, 0, total);
    std::memcpy(p, "RIFF", 4);
    PutLe32(p + 4, static_cast<uint32_t>(total - 8) + dataBytes + PadBytes(dataBytes));
    std::memcpy(p + 8, "WAVEfmt ", 8);
    PutLe32(p + 16, fmtBytes);
    p += 20;
    if (extensible)
        PutExtensibleFormat(p, format, format.channelMask);
    else
        PutBaseFormat(p, format.formatTag, format); // an 18-byte fmt ends in cbSize 0
    p += fmtBytes;
    // Readers expect the frame count of non-PCM samples in a fact chunk.
    if (IsFloat(format)) {
        std::memcpy(p, "fact", 4);
        PutLe32(p + 4, kFactBytes);
        PutLe32(p + 8, dataBytes / format.blockAlign);
        p += 8 + kFactBytes;
    }
    std::memcpy(p, "data", 4);
    PutLe32(p + 4, dataBytes);
}

uint32_t DefaultChannelMask(uint16_t channels)
{
    // Front centre for mono, then the usual stereo, 3.0, quad, 5.0, 5.1, 6.1 and 7.1 layouts.
    static const uint32_t masks[kMaxChannels + 1] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};
    return channels <= kMaxChannels ? masks[channels] : 0;
}

// Reads the fmt chunk body (size bytes at offset) into a checked format.
WaveError ParseFormatChunk(IWaveByteSource& source, uint64_t offset, uint32_t size, WaveFormat& format)
{
    if (size < kFmtBytes)
        return WaveError::BadFormatChunk;
    uint8_t body[kExtensibleFmtBytes] = {};
    const uint32_t wanted = std::min(size, kExtensibleFmtBytes);
    if (!source.ReadAt(offset, body, wanted))
        return WaveError::ReadFailed;

    format.formatTag = Le16(body);
    format.channels = Le16(body + 2);
    format.samplesPerSec = Le32(body + 4);
    format.avgBytesPerSec = Le32(body + 8);
    format.blockAlign = Le16(body + 12);
    format.bitsPerSample = Le16(body + 14);
    format.validBits = format.bitsPerSample;
    format.channelMask = 0;

    switch (format.formatTag) {
    case kFormatPcm:
        format.sampleType = SampleType::Integer;
        break;
    case kFormatFloat:
        // With or without the cbSize field: some writers stop at 16 bytes, nothing is lost.
        format.sampleType = SampleType::Float;
        break;
    case kFormatExtensible:
        if (size < kExtensibleFmtBytes || Le16(body + 16) < kExtensibleExtraBytes)
            return WaveError::BadFormatChunk;
        // Some writers leave the valid bits at 0: the whole container is then signal.
        format.validBits = Le16(body + 18) ? Le16(body + 18) : format.bitsPerSample;
        format.channelMask = Le32(body + 20);
        if (std::memcmp(body + 24, kPcmSubFormat, 16) == 0)
            format.sampleType = SampleType::Integer;
        else if (std::memcmp(body + 24, kFloatSubFormat, 16) == 0)
            format.sampleType = SampleType::Float;
        else
            return WaveError::UnsupportedEncoding;
        break;
    default:
        return WaveError::UnsupportedEncoding;
    }
    // Bytes per second follow from the rate and the block; a writer that got them wrong
    // damaged nothing else. Past a sane rate and block the product is refused below anyway.
    format.avgBytesPerSec = static_cast<uint32_t>(static_cast<uint64_t>(format.samplesPerSec) * format.blockAlign);
    return CheckWaveFormat(format);
}

struct ChunkWalk {
    bool haveFormat = false;
    bool haveData = false;
    bool dataCut = false;   // the data chunk claims more than the file holds
    uint64_t dataOffset = 0;
    uint32_t dataBytes = 0;
};

// Where the data chunk's sound ends: where its size says, unless the file was cut short, or a
// writer left the size unwritten (0xFFFFFFFF while streaming, 0 in a data chunk the RIFF ends
// with, or in a RIFF whose own size is unwritten); then at the end of the file.
uint64_t DataEnd(uint32_t size, uint64_t body, uint64_t riffEnd, bool riffUnwritten, uint64_t fileSize)
{
    const bool unwritten = size == kUnwrittenSize || (size == 0 && (riffUnwritten || riffEnd <= body));
    return unwritten ? fileSize : std::min(body + size, fileSize);
}

WaveError WalkChunks(IWaveByteSource& source, uint64_t riffEnd, bool riffUnwritten, uint64_t fileSize,
                     WaveFormat& format, ChunkWalk& walk)
{
    const uint64_t walkEnd = std::min(riffEnd, fileSize);
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
            // Cut off by the end of the file, or only outside the RIFF's own claimed size
            // (which then cannot be true).
            if (end > walkEnd)
                return end > fileSize ? WaveError::Truncated : WaveError::BadRiffSize;
            const WaveError error = ParseFormatChunk(source, body, size, format);
            if (error != WaveError::None)
                return error;
            walk.haveFormat = true;
        } else if (IsId(header, "data") && !walk.haveData) {
            // A file cut short, or whose writer never came back to its sizes, still holds its
            // sound, and gives up what it holds, as every player does.
            const uint64_t dataEnd = DataEnd(size, body, riffEnd, riffUnwritten, fileSize);
            if (dataEnd == end && end > walkEnd)
                return WaveError::BadRiffSize;   // within the file, but past the RIFF's own end
            walk.haveData = true;
            walk.dataCut = size == kUnwrittenSize || end > fileSize;
            walk.dataOffset = body;
            walk.dataBytes = static_cast<uint32_t>(std::min<uint64_t>(dataEnd - body, kUnwrittenSize));
            if (dataEnd != end)
                break;   // the sound runs to the end of the file: no chunk follows it
        }
        // An odd chunk is followed by a pad byte; a missing pad at the very end is harmless.
        pos = end + (size & 1u);
    }
    return WaveError::None;
}

} // namespace

WaveError ParseWave(IWaveByteSource& source, WaveLayout& layout)
{
    const uint64_t fileSize = source.Size();
    uint8_t head[12];
    if (fileSize < sizeof head)
        return WaveError::Truncated;
    if (!source.ReadAt(0, head, sizeof head))
        return WaveError::ReadFailed;
    if (!IsId(head, "RIFF")) {
        // Big-endian and 64-bit RIFF are real sound files, not damaged ones.
        const bool variant = IsId(head, "RIFX") || IsId(head, "RF64") || IsId(head, "BW64");
        return variant ? WaveError::UnsupportedRiff : WaveError::NotRiff;
    }
    if (!IsId(head + 8, "WAVE"))
        return WaveError::NotWave;
    // A RIFF size left unwritten (0 by a writer that died first, 0xFFFFFFFF by one that
    // streams) is as good as one that claims more than the file holds.
    const uint32_t riffSize = Le32(head + 4);
    const bool riffUnwritten = riffSize == 0 || riffSize == kUnwrittenSize;
    const uint64_t riffEnd = riffUnwritten ? std::max<uint64_t>(fileSize, 8ull + kUnwrittenSize) : 8ull + riffSize;
    if (riffEnd < 8 + kMinRiffSize)
        return WaveError::BadRiffSize;

    // Bytes after the RIFF's end are not part of it; a RIFF that claims more than the file
    // holds is walked as far as the file goes, and judged by whether its chunks are whole.
    WaveFormat format;
    ChunkWalk walk;
    const WaveError error = WalkChunks(source, riffEnd, riffUnwritten, fileSize, format, walk);
    if (error != WaveError::None)
        return error;
    if (!walk.haveFormat || !walk.haveData) {
        if (riffEnd > fileSize)
            return WaveError::Truncated;
        return walk.haveFormat ? WaveError::NoData : WaveError::NoFormat;
    }
    // A writer stopped mid-sample leaves a partial last block; dropping that fragment keeps
    // every channel aligned and loses less than one sample frame.
    const uint32_t dataBytes = walk.dataBytes - walk.dataBytes % format.blockAlign;
    // Damage that left not one whole block leaves nothing to give up.
    if (walk.dataCut && dataBytes == 0)
        return WaveError::DataTruncated;
    layout.format = format;
    layout.dataOffset = walk.dataOffset;
    layout.dataBytes = dataBytes;
    return WaveError::None;
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

WaveFormat MakeWaveFormat(const PcmFormat& format)
{
    WaveFormat wide;
    static_cast<PcmFormat&>(wide) = format;
    wide.formatTag = kFormatPcm;
    wide.sampleType = SampleType::Integer;
    wide.validBits = format.bitsPerSample;
    wide.channelMask = 0;
    return wide;
}

bool operator==(const WaveFormat& a, const WaveFormat& b)
{
    return a.channels == b.channels && a.samplesPerSec == b.samplesPerSec &&
           a.avgBytesPerSec == b.avgBytesPerSec && a.blockAlign == b.blockAlign &&
           a.bitsPerSample == b.bitsPerSample && a.formatTag == b.formatTag &&
           a.sampleType == b.sampleType && a.validBits == b.validBits && a.channelMask == b.channelMask;
}

WaveErrorKind KindOf(WaveError error)
{
    switch (error) {
    case WaveError::None: return WaveErrorKind::None;
    case WaveError::ReadFailed: return WaveErrorKind::ReadFailed;
    case WaveError::UnsupportedRiff:
    case WaveError::UnsupportedEncoding:
    case WaveError::TooManyChannels:
    case WaveError::RateTooHigh:
    case WaveError::UnsupportedBits: return WaveErrorKind::Unsupported;
    default: return WaveErrorKind::Corrupt;
    }
}

WaveError CheckWaveFormat(const WaveFormat& format)
{
    if (format.formatTag != kFormatExtensible) {
        if (format.formatTag != kFormatPcm && format.formatTag != kFormatFloat)
            return WaveError::UnsupportedEncoding;
        // A plain tag has no room to say more; a format that claims otherwise could not be
        // written back as it is.
        const SampleType type = format.formatTag == kFormatFloat ? SampleType::Float : SampleType::Integer;
        if (format.sampleType != type || format.validBits != format.bitsPerSample || format.channelMask != 0)
            return WaveError::BadFormatChunk;
    }
    // Impossible values first: a file that has them is damaged whatever else it says.
    if (format.channels == 0)
        return WaveError::ZeroChannels;
    if (format.samplesPerSec == 0)
        return WaveError::ZeroRate;
    if (format.bitsPerSample == 0 || format.validBits == 0 || format.validBits > format.bitsPerSample)
        return WaveError::BadFormatChunk;
    if (format.channels > kMaxChannels)
        return WaveError::TooManyChannels;
    if (format.samplesPerSec > kMaxSampleRate)
        return WaveError::RateTooHigh;
    if (!ContainerSupported(format.sampleType, format.bitsPerSample))
        return WaveError::UnsupportedBits;
    return CheckArithmetic(format);
}

WaveError CheckRecordingFormat(const PcmFormat& format)
{
    if (format.channels == 0)
        return WaveError::ZeroChannels;
    if (format.channels > kMaxChannels)
        return WaveError::TooManyChannels;
    if (format.samplesPerSec == 0)
        return WaveError::ZeroRate;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return WaveError::UnsupportedBits;
    return CheckArithmetic(format);
}

bool IsRecordingFormat(const WaveFormat& format)
{
    return format == MakeWaveFormat(format) && CheckRecordingFormat(format) == WaveError::None;
}

uint32_t MaxDataBytes(const WaveFormat& format)
{
    return MaxDataBytesAfter(WaveHeaderBytes(format), format.blockAlign);
}

uint32_t DurationMs(uint64_t bytes, const PcmFormat& format)
{
    if (format.avgBytesPerSec == 0)
        return 0;
    const uint64_t ms = (bytes * 1000 + format.avgBytesPerSec / 2) / format.avgBytesPerSec;
    return ms > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(ms);
}

size_t WaveHeaderBytes(const WaveFormat& format)
{
    const size_t riffHead = 12, chunkHead = 8;
    const size_t fact = IsFloat(format) ? chunkHead + kFactBytes : 0;
    if (format.formatTag == kFormatExtensible)
        return riffHead + chunkHead + kExtensibleFmtBytes + fact + chunkHead;
    if (IsFloat(format))
        return riffHead + chunkHead + kCbSizeFmtBytes + fact + chunkHead;
    return riffHead + chunkHead + kFmtBytes + chunkHead;
}

bool BuildWaveHeader(const WaveFormat& format, uint32_t dataBytes, std::vector<uint8_t>& header)
{
    // A take is checked as a recording, not as a file: the recorder may hold rates past any a
    // file is read at.
    if (!IsRecordingFormat(format) && CheckWaveFormat(format) != WaveError::None)
        return false;
    if (dataBytes > MaxDataBytes(format) || dataBytes % format.blockAlign != 0)
        return false;
    std::vector<uint8_t> bytes(WaveHeaderBytes(format));
    WriteHeader(format, dataBytes, bytes.data());
    header.swap(bytes);
    return true;
}

size_t BuildDeviceFormat(const WaveFormat& format, uint8_t (&block)[kDeviceFormatMaxBytes])
{
    if (CheckWaveFormat(format) != WaveError::None)
        return 0;
    std::memset(block, 0, sizeof block);
    // The system takes the plain format only for integer samples of up to 16 bits in mono or
    // stereo; the rest must be extensible. Fewer valid bits than 16 play as 16, as they always have.
    if (!IsFloat(format) && format.bitsPerSample <= 16 && format.channels <= 2) {
        PutBaseFormat(block, kFormatPcm, format);
        return kCbSizeFmtBytes;
    }
    const uint32_t mask = format.channelMask ? format.channelMask : DefaultChannelMask(format.channels);
    PutExtensibleFormat(block, format, mask);
    return kExtensibleFmtBytes;
}

} // namespace wave
