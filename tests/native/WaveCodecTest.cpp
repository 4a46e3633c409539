#include "WaveBytes.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace wave;

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void Put32(Bytes& b, uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); }

Bytes Chunk(const char* id, const Bytes& body, bool pad = true)
{
    Bytes b(id, id + 4);
    Put32(b, uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && body.size() % 2)
        b.push_back(0);
    return b;
}

Bytes FmtBody(uint16_t tag, uint16_t ch, uint32_t rate, uint16_t bits)
{
    Bytes b;
    const uint16_t align = uint16_t(ch * bits / 8);
    Put16(b, tag); Put16(b, ch); Put32(b, rate); Put32(b, rate * align); Put16(b, align); Put16(b, bits);
    return b;
}

const uint8_t kPcmGuid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
const uint8_t kFloatGuid[16] = {3, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
const uint8_t kOtherGuid[16] = {2, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};

// A plain fmt body with the cbSize field (18 bytes).
Bytes WithCb(Bytes body, uint16_t cb = 0)
{
    Put16(body, cb);
    return body;
}

Bytes Ext(const uint8_t (&guid)[16], uint16_t ch, uint32_t rate, uint16_t bits, uint16_t valid, uint32_t mask)
{
    Bytes b = WithCb(FmtBody(0xFFFE, ch, rate, bits), 22);
    Put16(b, valid);
    Put32(b, mask);
    b.insert(b.end(), guid, guid + 16);
    return b;
}

Bytes Patched(Bytes body, size_t at, uint16_t v)
{
    body[at] = uint8_t(v);
    body[at + 1] = uint8_t(v >> 8);
    return body;
}

Bytes Riff(const std::vector<Bytes>& chunks)
{
    Bytes body{'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b{'R', 'I', 'F', 'F'};
    Put32(b, uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes Samples(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(i * 7 + 1);
    return b;
}

uint32_t Le32At(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

WaveError Parse(const Bytes& file, WaveLayout& layout) { return ParseWave(file.data(), file.size(), layout); }

WaveError Parse(const Bytes& file)
{
    WaveLayout layout;
    return Parse(file, layout);
}

// Counts reads and fails any that reach outside the bytes, so over-reads and unbounded
// walks show up even where the memory source would merely refuse them.
class CCountingSource : public IWaveByteSource {
public:
    explicit CCountingSource(const Bytes& bytes) : m_bytes(bytes) {}
    uint64_t Size() const override { return m_bytes.size(); }
    bool ReadAt(uint64_t offset, void* buffer, size_t n) override
    {
        ++reads;
        if (offset + n > m_bytes.size()) {
            ++outOfBounds;
            return false;
        }
        std::memcpy(buffer, m_bytes.data() + offset, n);
        return true;
    }
    unsigned reads = 0;
    unsigned outOfBounds = 0;

private:
    const Bytes& m_bytes;
};

class CFailingSource : public IWaveByteSource {
public:
    explicit CFailingSource(uint64_t size) : m_size(size) {}
    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t, void*, size_t) override { return false; }

private:
    uint64_t m_size;
};

WaveFormat Expected(uint16_t tag, SampleType type, uint16_t ch, uint32_t rate, uint16_t bits,
                    uint16_t valid, uint32_t mask)
{
    WaveFormat f;
    f.formatTag = tag;
    f.sampleType = type;
    f.channels = ch;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = uint16_t(ch * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    f.validBits = valid;
    f.channelMask = mask;
    return f;
}

constexpr SampleType kInt = SampleType::Integer;
constexpr SampleType kFloat = SampleType::Float;

struct AcceptedCase {
    const char* what;
    Bytes fmt;
    bool fact;
    WaveFormat format;
};

std::vector<AcceptedCase> AcceptedCases()
{
    return {
        {"PCM 8 mono", FmtBody(1, 1, 8000, 8), false, Expected(1, kInt, 1, 8000, 8, 8, 0)},
        {"PCM 16 stereo", FmtBody(1, 2, 44100, 16), false, Expected(1, kInt, 2, 44100, 16, 16, 0)},
        {"PCM 16, 18-byte fmt", WithCb(FmtBody(1, 2, 22050, 16)), false, Expected(1, kInt, 2, 22050, 16, 16, 0)},
        {"PCM 24 stereo", FmtBody(1, 2, 48000, 24), false, Expected(1, kInt, 2, 48000, 24, 24, 0)},
        {"PCM 24 mono (odd block)", FmtBody(1, 1, 44100, 24), false, Expected(1, kInt, 1, 44100, 24, 24, 0)},
        {"PCM 32 mono", FmtBody(1, 1, 96000, 32), false, Expected(1, kInt, 1, 96000, 32, 32, 0)},
        {"PCM 16, 8 channels", FmtBody(1, 8, 48000, 16), false, Expected(1, kInt, 8, 48000, 16, 16, 0)},
        {"PCM 8 at 1 Hz", FmtBody(1, 1, 1, 8), false, Expected(1, kInt, 1, 1, 8, 8, 0)},
        {"PCM 32 at 768000 Hz", FmtBody(1, 2, 768000, 32), false, Expected(1, kInt, 2, 768000, 32, 32, 0)},
        {"float 32, 16-byte fmt", FmtBody(3, 2, 44100, 32), false, Expected(3, kFloat, 2, 44100, 32, 32, 0)},
        {"float 32 with fact", WithCb(FmtBody(3, 1, 48000, 32)), true, Expected(3, kFloat, 1, 48000, 32, 32, 0)},
        {"float 64 with fact", WithCb(FmtBody(3, 2, 96000, 64)), true, Expected(3, kFloat, 2, 96000, 64, 64, 0)},
        {"float 64, no fact", WithCb(FmtBody(3, 1, 8000, 64)), false, Expected(3, kFloat, 1, 8000, 64, 64, 0)},
        {"extensible PCM 16", Ext(kPcmGuid, 2, 44100, 16, 16, 3), false,
         Expected(0xFFFE, kInt, 2, 44100, 16, 16, 3)},
        {"extensible PCM 12 in 16", Ext(kPcmGuid, 1, 8000, 16, 12, 4), false,
         Expected(0xFFFE, kInt, 1, 8000, 16, 12, 4)},
        {"extensible PCM 20 in 24", Ext(kPcmGuid, 2, 48000, 24, 20, 3), false,
         Expected(0xFFFE, kInt, 2, 48000, 24, 20, 3)},
        {"extensible PCM 24, 5.1", Ext(kPcmGuid, 6, 48000, 24, 24, 0x3F), false,
         Expected(0xFFFE, kInt, 6, 48000, 24, 24, 0x3F)},
        {"extensible PCM 24 in 32, no mask", Ext(kPcmGuid, 2, 192000, 32, 24, 0), false,
         Expected(0xFFFE, kInt, 2, 192000, 32, 24, 0)},
        {"extensible PCM 8", Ext(kPcmGuid, 1, 11025, 8, 8, 4), false, Expected(0xFFFE, kInt, 1, 11025, 8, 8, 4)},
        {"extensible float 32, 7.1", Ext(kFloatGuid, 8, 48000, 32, 32, 0x63F), true,
         Expected(0xFFFE, kFloat, 8, 48000, 32, 32, 0x63F)},
        {"extensible float 64, no fact", Ext(kFloatGuid, 2, 44100, 64, 64, 3), false,
         Expected(0xFFFE, kFloat, 2, 44100, 64, 64, 3)},
    };
}

Bytes FileOf(const Bytes& fmt, bool fact, const Bytes& samples)
{
    Bytes factBody;
    Put32(factBody, 12345); // a wrong count must not matter: the data chunk's size rules
    if (fact)
        return Riff({Chunk("fmt ", fmt), Chunk("fact", factBody), Chunk("data", samples)});
    return Riff({Chunk("fmt ", fmt), Chunk("data", samples)});
}

} // namespace

TEST(WaveParse, AcceptsEveryIntegerAndFloatLayout)
{
    for (const AcceptedCase& c : AcceptedCases()) {
        const Bytes samples = Samples(4u * c.format.blockAlign);
        WaveLayout layout;
        ASSERT_EQ(Parse(FileOf(c.fmt, c.fact, samples), layout), WaveError::None) << c.what;
        EXPECT_TRUE(layout.format == c.format) << c.what;
        EXPECT_EQ(layout.dataBytes, samples.size()) << c.what;
        EXPECT_EQ(layout.dataOffset, 12u + 8 + c.fmt.size() + (c.fact ? 12 : 0) + 8) << c.what;
    }
}

TEST(WaveParse, RefusesWithAVerdictThatTellsDamageFromAnUnsupportedFormat)
{
    const auto kUnsupported = WaveErrorKind::Unsupported;
    const auto kCorrupt = WaveErrorKind::Corrupt;
    const Bytes pcm16 = FmtBody(1, 2, 8000, 16);
    const struct {
        const char* what;
        Bytes fmt;
        WaveError error;
        WaveErrorKind kind;
    } cases[] = {
        {"ADPCM", Patched(WithCb(FmtBody(2, 1, 8000, 4), 32), 12, 256), WaveError::UnsupportedEncoding, kUnsupported},
        {"mu-law", FmtBody(7, 1, 8000, 8), WaveError::UnsupportedEncoding, kUnsupported},
        {"MP3", Patched(WithCb(FmtBody(0x55, 2, 44100, 0), 12), 12, 1), WaveError::UnsupportedEncoding, kUnsupported},
        {"extensible, unknown sub-format", Ext(kOtherGuid, 2, 8000, 16, 16, 3), WaveError::UnsupportedEncoding,
         kUnsupported},
        {"float 16", FmtBody(3, 1, 8000, 16), WaveError::UnsupportedBits, kUnsupported},
        {"float 24", WithCb(FmtBody(3, 2, 8000, 24)), WaveError::UnsupportedBits, kUnsupported},
        {"extensible float 16", Ext(kFloatGuid, 2, 8000, 16, 16, 3), WaveError::UnsupportedBits, kUnsupported},
        {"PCM 12 in a 12-bit container", Patched(FmtBody(1, 1, 8000, 12), 12, 2), WaveError::UnsupportedBits,
         kUnsupported},
        {"extensible PCM 12 in 12", Ext(kPcmGuid, 2, 8000, 12, 12, 3), WaveError::UnsupportedBits, kUnsupported},
        {"PCM 64", FmtBody(1, 1, 8000, 64), WaveError::UnsupportedBits, kUnsupported},
        {"9 channels", FmtBody(1, 9, 8000, 16), WaveError::TooManyChannels, kUnsupported},
        {"768001 Hz", FmtBody(1, 1, 768001, 16), WaveError::RateTooHigh, kUnsupported},
        {"rate 0", FmtBody(1, 2, 0, 16), WaveError::ZeroRate, kCorrupt},
        {"no channels", FmtBody(1, 0, 8000, 16), WaveError::ZeroChannels, kCorrupt},
        {"zero block align", Patched(pcm16, 12, 0), WaveError::BadBlockAlign, kCorrupt},
        {"24 bits, block align of 32", Patched(FmtBody(1, 1, 8000, 24), 12, 4), WaveError::BadBlockAlign, kCorrupt},
        {"zero bits", FmtBody(1, 1, 8000, 0), WaveError::BadFormatChunk, kCorrupt},
        {"valid bits above the container", Ext(kPcmGuid, 2, 8000, 16, 20, 3), WaveError::BadFormatChunk, kCorrupt},
        {"extensible, cbSize 0", Patched(Ext(kPcmGuid, 2, 8000, 16, 16, 3), 16, 0), WaveError::BadFormatChunk,
         kCorrupt},
        {"extensible, 18-byte fmt", WithCb(FmtBody(0xFFFE, 2, 8000, 16)), WaveError::BadFormatChunk, kCorrupt},
        {"14-byte fmt", Bytes(pcm16.begin(), pcm16.begin() + 14), WaveError::BadFormatChunk, kCorrupt},
    };
    for (const auto& c : cases) {
        const WaveError error = Parse(Riff({Chunk("fmt ", c.fmt), Chunk("data", Samples(16))}));
        EXPECT_EQ(error, c.error) << c.what << ": " << WaveErrorName(error);
        EXPECT_EQ(KindOf(error), c.kind) << c.what;
    }
}

TEST(WaveParse, RefusesFilesWithoutExactlyOneFmtAndADataChunkAsCorrupt)
{
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 2, 8000, 16));
    const Bytes data = Chunk("data", Samples(16));
    EXPECT_EQ(Parse(Riff({fmt, fmt, data})), WaveError::DuplicateFormat);
    EXPECT_EQ(Parse(Riff({fmt, Chunk("LIST", Samples(4))})), WaveError::NoData);
    EXPECT_EQ(Parse(Riff({Chunk("LIST", Samples(30)), data})), WaveError::NoFormat);
    for (WaveError e : {WaveError::DuplicateFormat, WaveError::NoData, WaveError::NoFormat})
        EXPECT_EQ(KindOf(e), WaveErrorKind::Corrupt) << WaveErrorName(e);
}

TEST(WaveHeader, EveryAcceptedFormatReadsBackFromTheHeaderWrittenForIt)
{
    for (const AcceptedCase& c : AcceptedCases()) {
        // Odd frame counts, so blocks of odd size need the pad byte.
        const uint32_t frames = 5;
        const uint32_t dataBytes = frames * c.format.blockAlign;
        Bytes file;
        ASSERT_TRUE(BuildWaveHeader(c.format, dataBytes, file)) << c.what;
        ASSERT_EQ(file.size(), WaveHeaderBytes(c.format)) << c.what;
        const Bytes samples = Samples(dataBytes);
        file.insert(file.end(), samples.begin(), samples.end());
        file.resize(file.size() + PadBytes(dataBytes));

        WaveLayout layout;
        ASSERT_EQ(Parse(file, layout), WaveError::None) << c.what;
        EXPECT_TRUE(layout.format == c.format) << c.what;
        EXPECT_EQ(layout.dataOffset, WaveHeaderBytes(c.format)) << c.what;
        EXPECT_EQ(layout.dataBytes, dataBytes) << c.what;
        EXPECT_EQ(Le32At(file, 4), file.size() - 8) << c.what;

        // Float samples carry their frame count in a fact chunk, just before the data chunk.
        const size_t fact = WaveHeaderBytes(c.format) - 8 - 12;
        const bool isFloat = c.format.sampleType == SampleType::Float;
        EXPECT_EQ(std::memcmp(&file[fact], "fact", 4) == 0, isFloat) << c.what;
        if (isFloat) {
            EXPECT_EQ(Le32At(file, fact + 8), frames) << c.what;
        }
    }
}

TEST(WaveParse, SkipsForeignChunksAndTheirPadBytes)
{
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 2, 22050, 16));
    const Bytes odd = Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'}); // 5 bytes + pad
    const Bytes data = Chunk("data", Samples(40));
    WaveLayout layout;

    ASSERT_EQ(Parse(Riff({odd, fmt, odd, data, odd}), layout), WaveError::None);
    EXPECT_EQ(layout.dataOffset, 12u + 14 + 24 + 14 + 8);
    EXPECT_EQ(layout.dataBytes, 40u);
    EXPECT_EQ(layout.format.samplesPerSec, 22050u);

    ASSERT_EQ(Parse(Riff({data, fmt}), layout), WaveError::None);
    EXPECT_EQ(layout.dataOffset, 20u);
}

TEST(WaveParse, DropsAPartialLastBlockAndToleratesAMissingFinalPad)
{
    WaveLayout layout;
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 2, 8000, 16));
    ASSERT_EQ(Parse(Riff({fmt, Chunk("data", Samples(4 * 5 + 3))}), layout), WaveError::None);
    EXPECT_EQ(layout.dataBytes, 20u);

    const Bytes fmt8 = Chunk("fmt ", FmtBody(1, 1, 8000, 8));
    ASSERT_EQ(Parse(Riff({fmt8, Chunk("data", Samples(7), false)}), layout), WaveError::None);
    EXPECT_EQ(layout.dataBytes, 7u);
}

TEST(WaveParse, AFileCutAnywhereGivesUpTheWholeBlocksBeforeTheCut)
{
    const Bytes file = Riff({Chunk("fmt ", FmtBody(1, 2, 8000, 16)), Chunk("data", Samples(64))});
    const size_t dataOffset = 44;
    ASSERT_EQ(Parse(file), WaveError::None);
    for (size_t n = 0; n < file.size(); ++n) {
        const Bytes prefix(file.begin(), file.begin() + n);
        WaveLayout layout;
        const WaveError error = Parse(prefix, layout);
        if (n >= dataOffset + 4) {
            ASSERT_EQ(error, WaveError::None) << n << " bytes: " << WaveErrorName(error);
            EXPECT_EQ(layout.dataBytes, (n - dataOffset) / 4 * 4) << n << " bytes";
        } else {
            EXPECT_TRUE(error == WaveError::Truncated || error == WaveError::DataTruncated)
                << n << " bytes: " << WaveErrorName(error);
        }
    }
}

// Files as writers that were cut off or never came back to their header leave them.
TEST(WaveParse, DamagedFilesGiveUpWhatTheyHold)
{
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 2, 8000, 16));
    const Bytes sound = Samples(40);
    const Bytes info = Chunk("LIST", Samples(12));
    const WaveFormat stereo = Expected(1, kInt, 2, 8000, 16, 16, 0);
    // The canonical file with its RIFF and data sizes replaced (its data chunk is at 36).
    auto sized = [&](uint32_t riff, uint32_t data, const Bytes& samples) {
        Bytes b = Riff({fmt, Chunk("data", samples)});
        std::memcpy(&b[4], &riff, 4);
        std::memcpy(&b[40], &data, 4);
        return b;
    };
    Bytes unwrittenFirst = Riff({Chunk("data", Bytes()), fmt});
    std::memset(&unwrittenFirst[4], 0, 4);
    const struct {
        const char* what;
        Bytes file;
        WaveError error;
        uint32_t dataBytes;
        WaveFormat format;
    } cases[] = {
        {"cut short: the header promises 160 bytes", sized(36 + 160, 160, sound), WaveError::None, 40, stereo},
        {"a streaming writer's sizes", sized(0xFFFFFFFF, 0xFFFFFFFF, sound), WaveError::None, 40, stereo},
        {"sizes of 0, the sound after them", sized(0, 0, sound), WaveError::None, 40, stereo},
        {"a RIFF of the header alone and data of 0", sized(36, 0, sound), WaveError::None, 40, stereo},
        {"a RIFF of 0 with a true data size", Patched(Riff({fmt, Chunk("data", sound), info}), 4, 0),
         WaveError::None, 40, stereo},
        {"a wrong byte rate", Riff({Chunk("fmt ", Patched(FmtBody(1, 2, 8000, 16), 8, 1000)), Chunk("data", sound)}),
         WaveError::None, 40, stereo},
        {"extensible with valid bits of 0", Riff({Chunk("fmt ", Ext(kPcmGuid, 2, 8000, 24, 0, 3)), Chunk("data", Samples(42))}),
         WaveError::None, 42, Expected(0xFFFE, kInt, 2, 8000, 24, 24, 3)},
        // An intact file with an empty data chunk stays empty: what follows it is no sound.
        {"an empty data chunk, a chunk after it", Riff({fmt, Chunk("data", Bytes()), info}), WaveError::None, 0, stereo},
        // Damage that left no whole block leaves nothing to give up.
        {"cut before its first whole block", sized(36 + 160, 160, Samples(2)), WaveError::DataTruncated, 0, stereo},
        {"a streaming writer's header alone", sized(0xFFFFFFFF, 0xFFFFFFFF, Bytes()), WaveError::DataTruncated, 0,
         stereo},
        {"sizes of 0 and the format after the sound", unwrittenFirst, WaveError::Truncated, 0, stereo},
    };
    for (const auto& c : cases) {
        WaveLayout layout;
        const WaveError error = Parse(c.file, layout);
        ASSERT_EQ(error, c.error) << c.what << ": " << WaveErrorName(error);
        if (error != WaveError::None)
            continue;
        EXPECT_EQ(layout.dataBytes, c.dataBytes) << c.what;
        EXPECT_TRUE(layout.format == c.format) << c.what;
        EXPECT_LE(layout.dataOffset + layout.dataBytes, c.file.size()) << c.what;
    }
}

TEST(WaveParse, TellsLiesAboutSizesApart)
{
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 1, 8000, 16));
    Bytes file = Riff({fmt, Chunk("data", Samples(64))});
    Bytes shortRiff = file;
    shortRiff[4] = 4 + 24 + 8 + 10; // RIFF ends inside the data that the file does hold
    EXPECT_EQ(Parse(shortRiff), WaveError::BadRiffSize);

    Bytes tinyRiff = file;
    tinyRiff[4] = 4;
    EXPECT_EQ(Parse(tinyRiff), WaveError::BadRiffSize);

    // Trailing bytes outside the RIFF are not part of the file's content.
    Bytes trailing = file;
    trailing.insert(trailing.end(), {'j', 'u', 'n', 'k'});
    WaveLayout layout;
    ASSERT_EQ(Parse(trailing, layout), WaveError::None);
    EXPECT_EQ(layout.dataBytes, 64u);
}

TEST(WaveParse, RefusesWhatIsNotAWaveFile)
{
    Bytes file = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16)), Chunk("data", Samples(8))});
    // Big-endian and 64-bit RIFF are sound files of a kind we do not read, not damaged ones.
    for (const char* magic : {"RIFX", "RF64", "BW64"}) {
        Bytes variant = file;
        std::memcpy(&variant[0], magic, 4);
        EXPECT_EQ(Parse(variant), WaveError::UnsupportedRiff) << magic;
    }
    EXPECT_EQ(KindOf(WaveError::UnsupportedRiff), WaveErrorKind::Unsupported);
    Bytes avi = file;
    std::memcpy(&avi[8], "AVI ", 4);
    EXPECT_EQ(Parse(avi), WaveError::NotWave);
    const std::string text = "Just some text that someone renamed to .wav\r\n";
    EXPECT_EQ(Parse(Bytes(text.begin(), text.end())), WaveError::NotRiff);
    WaveLayout none;
    EXPECT_EQ(ParseWave(nullptr, 0, none), WaveError::Truncated);
    for (WaveError e : {WaveError::NotWave, WaveError::NotRiff, WaveError::Truncated})
        EXPECT_EQ(KindOf(e), WaveErrorKind::Corrupt) << WaveErrorName(e);
}

TEST(WaveParse, StaysInsideTheSourceAndBoundsItsWalk)
{
    // A million empty chunks between fmt and data: the walk must stop early, not crawl.
    Bytes file = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16))});
    const Bytes empty = Chunk("junk", Bytes());
    file.reserve(file.size() + 8u * 1000000u + 64);
    for (int i = 0; i < 1000000; ++i)
        file.insert(file.end(), empty.begin(), empty.end());
    const Bytes data = Chunk("data", Samples(16));
    file.insert(file.end(), data.begin(), data.end());
    const uint32_t riffSize = uint32_t(file.size() - 8);
    std::memcpy(&file[4], &riffSize, 4);

    CCountingSource source(file);
    WaveLayout layout;
    EXPECT_EQ(ParseWave(source, layout), WaveError::TooManyChunks);
    EXPECT_LE(source.reads, kMaxChunks + 4);
    EXPECT_EQ(source.outOfBounds, 0u);

    // Chunk sizes near 4 GiB must not wrap offsets into reading before or beyond the file.
    Bytes huge = Riff({Chunk("LIST", Samples(4)), Chunk("fmt ", FmtBody(1, 1, 8000, 16))});
    std::memcpy(&huge[16], "\xFF\xFF\xFF\xFF", 4);
    CCountingSource hugeSource(huge);
    EXPECT_NE(ParseWave(hugeSource, layout), WaveError::None);
    EXPECT_EQ(hugeSource.outOfBounds, 0u);
}

TEST(WaveParse, ReportsAFailingSourceAsAReadError)
{
    CFailingSource source(1000);
    WaveLayout layout;
    EXPECT_EQ(ParseWave(source, layout), WaveError::ReadFailed);
    EXPECT_EQ(KindOf(WaveError::ReadFailed), WaveErrorKind::ReadFailed);
}

TEST(PcmFormat, RecordingFormatsAreConsistent8Or16BitPcm)
{
    EXPECT_EQ(CheckRecordingFormat(MakePcmFormat(2, 44100, 16)), WaveError::None);
    EXPECT_EQ(MakePcmFormat(2, 44100, 16).avgBytesPerSec, 176400u);
    EXPECT_EQ(MakePcmFormat(1, 6000, 8).blockAlign, 1);
    PcmFormat f = MakePcmFormat(2, 22050, 8);
    f.blockAlign = 1;
    EXPECT_EQ(CheckRecordingFormat(f), WaveError::BadBlockAlign);
    f = MakePcmFormat(2, 22050, 8);
    f.avgBytesPerSec += 1;
    EXPECT_EQ(CheckRecordingFormat(f), WaveError::BadAvgBytes);
    // A rate whose bytes/s overflows 32 bits can never be consistent.
    EXPECT_EQ(CheckRecordingFormat(MakePcmFormat(8, 0x40000000u, 16)), WaveError::BadAvgBytes);
    // Files of these play, but the recorder does not make them.
    EXPECT_EQ(CheckRecordingFormat(MakePcmFormat(2, 44100, 24)), WaveError::UnsupportedBits);
    EXPECT_EQ(CheckRecordingFormat(MakePcmFormat(1, 44100, 32)), WaveError::UnsupportedBits);
    // A file's 16-bit format that says more than a plain header can is no recording format.
    EXPECT_TRUE(IsRecordingFormat(MakeWaveFormat(MakePcmFormat(2, 44100, 16))));
    WaveFormat extensible = MakeWaveFormat(MakePcmFormat(2, 44100, 16));
    extensible.formatTag = kFormatExtensible;
    EXPECT_FALSE(IsRecordingFormat(extensible));
}

TEST(WaveHeader, MatchesTheCanonicalLayoutsByteForByte)
{
    const Bytes pcm = {
        'R', 'I', 'F', 'F', 0x2C, 0x01, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
        16, 0, 0, 0, 1, 0, 2, 0, 0x22, 0x56, 0, 0, 0x88, 0x58, 0x01, 0,
        4, 0, 16, 0, 'd', 'a', 't', 'a', 0x08, 0x01, 0, 0};
    const Bytes float32 = {
        'R', 'I', 'F', 'F', 0x42, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
        18, 0, 0, 0, 3, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x20, 0x62, 0x05, 0,
        8, 0, 32, 0, 0, 0, 'f', 'a', 'c', 't', 4, 0, 0, 0, 2, 0, 0, 0,
        'd', 'a', 't', 'a', 16, 0, 0, 0};
    Bytes extensible = {
        'R', 'I', 'F', 'F', 66, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
        40, 0, 0, 0, 0xFE, 0xFF, 2, 0, 0x80, 0xBB, 0, 0, 0x00, 0x65, 0x04, 0,
        6, 0, 24, 0, 22, 0, 20, 0, 3, 0, 0, 0};
    extensible.insert(extensible.end(), kPcmGuid, kPcmGuid + 16);
    extensible.insert(extensible.end(), {'d', 'a', 't', 'a', 6, 0, 0, 0});
    const struct {
        WaveFormat format;
        uint32_t dataBytes;
        const Bytes& expected;
    } cases[] = {
        {MakeWaveFormat(MakePcmFormat(2, 22050, 16)), 264, pcm},
        {Expected(3, kFloat, 2, 44100, 32, 32, 0), 16, float32},
        {Expected(0xFFFE, kInt, 2, 48000, 24, 20, 3), 6, extensible},
    };
    for (const auto& c : cases) {
        Bytes header;
        ASSERT_TRUE(BuildWaveHeader(c.format, c.dataBytes, header)) << c.format.formatTag;
        EXPECT_EQ(header, c.expected) << c.format.formatTag;
    }

    // A take's header, at a rate past any a file is read at, is written all the same.
    Bytes take;
    ASSERT_TRUE(BuildWaveHeader(MakeWaveFormat(MakePcmFormat(1, kMaxSampleRate + 1, 8)), 2, take));
    EXPECT_EQ(kPcmHeaderBytes, take.size());
}

TEST(WaveHeader, CountsThePadOfOddDataAndRefusesWhatCannotBeWritten)
{
    Bytes header;
    ASSERT_TRUE(BuildWaveHeader(MakeWaveFormat(MakePcmFormat(1, 8000, 8)), 7, header));
    EXPECT_EQ(header[4], 36 + 7 + 1);
    EXPECT_EQ(header[40], 7);

    WaveFormat bad = MakeWaveFormat(MakePcmFormat(2, 8000, 16));
    bad.blockAlign = 3;
    EXPECT_FALSE(BuildWaveHeader(bad, 0, header));
    EXPECT_FALSE(BuildWaveHeader(MakeWaveFormat(MakePcmFormat(2, 8000, 16)), 6, header)); // not whole blocks
    for (uint16_t align : {1, 2, 4}) {
        const WaveFormat f = MakeWaveFormat(MakePcmFormat(align == 4 ? 2 : 1, 8000, align == 1 ? 8 : 16));
        const uint32_t max = MaxDataBytes(f);
        EXPECT_EQ(max % align, 0u);
        EXPECT_LE(uint64_t(max) + 36 + PadBytes(max), 0xFFFFFFFFull);
        EXPECT_GT(uint64_t(max) + align + 36, 0xFFFFFFFFull - 1);
        EXPECT_TRUE(BuildWaveHeader(f, max, header));
        EXPECT_FALSE(BuildWaveHeader(f, max + align, header));
    }

    // The longer headers leave less room for data; odd blocks (24-bit mono) need the pad too.
    for (const AcceptedCase& c : AcceptedCases()) {
        const uint32_t max = MaxDataBytes(c.format);
        const uint32_t align = c.format.blockAlign;
        const uint64_t riffHead = WaveHeaderBytes(c.format) - 8;
        Bytes wide;
        EXPECT_EQ(max % align, 0u) << c.what;
        EXPECT_LE(riffHead + max + PadBytes(max), 0xFFFFFFFFull) << c.what;
        EXPECT_GT(riffHead + max + align + PadBytes(max + align), 0xFFFFFFFFull) << c.what;
        EXPECT_TRUE(BuildWaveHeader(c.format, max, wide)) << c.what;
        EXPECT_FALSE(BuildWaveHeader(c.format, max + align, wide)) << c.what;
        if (align > 1) {
            EXPECT_FALSE(BuildWaveHeader(c.format, align + 1, wide)) << c.what << ": not whole blocks";
        }
    }

    // A plain tag cannot say that fewer bits are valid, nor where the speakers are.
    WaveFormat plain = MakeWaveFormat(MakePcmFormat(2, 8000, 16));
    Bytes unchanged = {1, 2, 3};
    plain.validBits = 12;
    EXPECT_FALSE(BuildWaveHeader(plain, 0, unchanged));
    plain.validBits = 16;
    plain.channelMask = 3;
    EXPECT_FALSE(BuildWaveHeader(plain, 0, unchanged));
    EXPECT_EQ(unchanged, (Bytes{1, 2, 3}));
}

TEST(DeviceFormat, IsPlainOnlyForUpTo16BitIntegersInStereoAndKeepsTheRestExtensible)
{
    const struct {
        const char* what;
        WaveFormat format;
        size_t size;
        uint32_t mask;
    } cases[] = {
        {"PCM 16 stereo", Expected(1, kInt, 2, 44100, 16, 16, 0), 18, 0},
        {"PCM 8 mono", Expected(1, kInt, 1, 8000, 8, 8, 0), 18, 0},
        {"12 in 16, plays as 16", Expected(0xFFFE, kInt, 2, 8000, 16, 12, 3), 18, 0},
        {"PCM 24 stereo", Expected(1, kInt, 2, 48000, 24, 24, 0), 40, 0x3},
        {"float 32 mono", Expected(3, kFloat, 1, 48000, 32, 32, 0), 40, 0x4},
        {"PCM 16, 6 channels", Expected(1, kInt, 6, 48000, 16, 16, 0), 40, 0x3F},
        {"PCM 16, 8 channels", Expected(1, kInt, 8, 48000, 16, 16, 0), 40, 0x63F},
        {"20 in 24, the file's mask", Expected(0xFFFE, kInt, 2, 96000, 24, 20, 0x600), 40, 0x600},
        {"float 64, 7.1", Expected(0xFFFE, kFloat, 8, 48000, 64, 64, 0x63F), 40, 0x63F},
    };
    for (const auto& c : cases) {
        uint8_t block[kDeviceFormatMaxBytes];
        ASSERT_EQ(BuildDeviceFormat(c.format, block), c.size) << c.what;
        const Bytes bytes(block, block + c.size);
        EXPECT_EQ(bytes[0] | bytes[1] << 8, c.size == 18 ? 1 : 0xFFFE) << c.what;
        EXPECT_EQ(Le32At(bytes, 4), c.format.samplesPerSec) << c.what;
        EXPECT_EQ(bytes[12] | bytes[13] << 8, c.format.blockAlign) << c.what;
        EXPECT_EQ(bytes[14] | bytes[15] << 8, c.format.bitsPerSample) << c.what;
        EXPECT_EQ(size_t(bytes[16] | bytes[17] << 8), c.size - 18) << c.what; // cbSize
        if (c.size == 40) {
            EXPECT_EQ(bytes[18] | bytes[19] << 8, c.format.validBits) << c.what;
            EXPECT_EQ(Le32At(bytes, 20), c.mask) << c.what;
            const uint8_t* guid = c.format.sampleType == kFloat ? kFloatGuid : kPcmGuid;
            EXPECT_TRUE(std::equal(guid, guid + 16, bytes.begin() + 24)) << c.what;
        }
    }
    uint8_t block[kDeviceFormatMaxBytes];
    EXPECT_EQ(BuildDeviceFormat(Expected(1, kInt, 9, 8000, 16, 16, 0), block), 0u);
}
