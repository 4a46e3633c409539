#include "WaveCodec.h"
#include "CMemoryByteSource.h"
#include <gtest/gtest.h>
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

} // namespace

TEST(WaveParse, ReadsEveryRecorderFormatFromItsOwnHeader)
{
    for (uint32_t rate : {44100u, 22050u, 11025u, 8000u, 6000u})
        for (uint16_t ch : {1, 2})
            for (uint16_t bits : {8, 16}) {
                const PcmFormat format = MakePcmFormat(ch, rate, bits);
                const uint32_t dataBytes = 10u * format.blockAlign;
                uint8_t header[kPcmHeaderBytes];
                ASSERT_TRUE(BuildPcmHeader(format, dataBytes, header));
                Bytes file(header, header + sizeof header);
                const Bytes data = Samples(dataBytes);
                file.insert(file.end(), data.begin(), data.end());

                WaveLayout layout;
                ASSERT_EQ(Parse(file, layout), WaveError::None) << rate << "/" << ch << "/" << bits;
                EXPECT_EQ(layout.format.channels, ch);
                EXPECT_EQ(layout.format.samplesPerSec, rate);
                EXPECT_EQ(layout.format.bitsPerSample, bits);
                EXPECT_EQ(layout.format.blockAlign, ch * bits / 8);
                EXPECT_EQ(layout.format.avgBytesPerSec, rate * ch * bits / 8);
                EXPECT_EQ(layout.dataOffset, 44u);
                EXPECT_EQ(layout.dataBytes, dataBytes);
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

TEST(WaveParse, AcceptsLongerFmtChunksOfPcm)
{
    Bytes fmt18 = FmtBody(1, 1, 8000, 8);
    Put16(fmt18, 0);
    WaveLayout layout;
    ASSERT_EQ(Parse(Riff({Chunk("fmt ", fmt18), Chunk("data", Samples(8))}), layout), WaveError::None);
    EXPECT_EQ(layout.dataOffset, 12u + 8 + 18 + 8);

    Bytes ext = FmtBody(0xFFFE, 2, 44100, 16);
    Put16(ext, 22); Put16(ext, 16); Put32(ext, 3);
    const uint8_t pcmGuid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    ext.insert(ext.end(), pcmGuid, pcmGuid + 16);
    ASSERT_EQ(Parse(Riff({Chunk("fmt ", ext), Chunk("data", Samples(8))}), layout), WaveError::None);
    EXPECT_EQ(layout.format.channels, 2);
    EXPECT_EQ(layout.format.samplesPerSec, 44100u);

    ext[24] = 3; // IEEE float sub-format
    EXPECT_EQ(Parse(Riff({Chunk("fmt ", ext), Chunk("data", Samples(8))})), WaveError::NotPcm);
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

TEST(WaveParse, RefusesEveryProperPrefixOfAFile)
{
    const Bytes file = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16)), Chunk("data", Samples(64))});
    ASSERT_EQ(Parse(file), WaveError::None);
    for (size_t n = 0; n < file.size(); ++n) {
        const Bytes prefix(file.begin(), file.begin() + n);
        const WaveError error = Parse(prefix);
        EXPECT_TRUE(error == WaveError::Truncated || error == WaveError::DataTruncated)
            << n << " bytes: " << WaveErrorName(error);
    }
}

TEST(WaveParse, TellsLiesAboutSizesApart)
{
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 1, 8000, 16));
    Bytes file = Riff({fmt, Chunk("data", Samples(64))});
    Bytes lyingData = file;
    lyingData[40] = 0xFF; // data size now ~ 255 + 64*...; more than the file holds
    EXPECT_EQ(Parse(lyingData), WaveError::DataTruncated);

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

TEST(WaveParse, RefusesFormatsItCannotPlay)
{
    const Bytes data = Chunk("data", Samples(16));
    auto withFmt = [&](const Bytes& body) { return Parse(Riff({Chunk("fmt ", body), data})); };
    auto patched = [](Bytes body, size_t at, uint16_t v) { body[at] = uint8_t(v); body[at + 1] = uint8_t(v >> 8); return body; };
    const Bytes good = FmtBody(1, 2, 8000, 16);

    EXPECT_EQ(withFmt(FmtBody(2, 1, 8000, 16)), WaveError::NotPcm);
    EXPECT_EQ(withFmt(FmtBody(3, 1, 8000, 32)), WaveError::NotPcm);
    EXPECT_EQ(withFmt(Bytes(good.begin(), good.begin() + 14)), WaveError::BadFormatChunk);
    EXPECT_EQ(withFmt(FmtBody(1, 0, 8000, 16)), WaveError::ZeroChannels);
    EXPECT_EQ(withFmt(FmtBody(1, 9, 8000, 16)), WaveError::TooManyChannels);
    EXPECT_EQ(withFmt(FmtBody(1, 2, 0, 16)), WaveError::ZeroRate);
    EXPECT_EQ(withFmt(FmtBody(1, 2, 8000, 24)), WaveError::UnsupportedBits);
    EXPECT_EQ(withFmt(FmtBody(1, 2, 8000, 32)), WaveError::UnsupportedBits);
    EXPECT_EQ(withFmt(patched(good, 12, 2)), WaveError::BadBlockAlign);
    EXPECT_EQ(withFmt(patched(good, 8, 1000)), WaveError::BadAvgBytes);
    EXPECT_EQ(Parse(Riff({Chunk("fmt ", good), Chunk("fmt ", good), data})), WaveError::DuplicateFormat);
    EXPECT_EQ(Parse(Riff({Chunk("fmt ", good), Chunk("LIST", Samples(4))})), WaveError::NoData);
    EXPECT_EQ(Parse(Riff({Chunk("LIST", Samples(30)), data})), WaveError::NoFormat);
}

TEST(WaveParse, RefusesWhatIsNotAWaveFile)
{
    Bytes file = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16)), Chunk("data", Samples(8))});
    Bytes rifx = file;
    rifx[3] = 'X';
    EXPECT_EQ(Parse(rifx), WaveError::NotRiff);
    Bytes avi = file;
    std::memcpy(&avi[8], "AVI ", 4);
    EXPECT_EQ(Parse(avi), WaveError::NotWave);
    const std::string text = "Just some text that someone renamed to .wav\r\n";
    EXPECT_EQ(Parse(Bytes(text.begin(), text.end())), WaveError::NotRiff);
    WaveLayout none;
    EXPECT_EQ(ParseWave(nullptr, 0, none), WaveError::Truncated);
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
}

TEST(PcmFormat, ChecksConsistency)
{
    EXPECT_EQ(CheckPcmFormat(MakePcmFormat(2, 44100, 16)), WaveError::None);
    EXPECT_EQ(MakePcmFormat(2, 44100, 16).avgBytesPerSec, 176400u);
    EXPECT_EQ(MakePcmFormat(1, 6000, 8).blockAlign, 1);
    PcmFormat f = MakePcmFormat(2, 22050, 8);
    f.blockAlign = 1;
    EXPECT_EQ(CheckPcmFormat(f), WaveError::BadBlockAlign);
    f = MakePcmFormat(2, 22050, 8);
    f.avgBytesPerSec += 1;
    EXPECT_EQ(CheckPcmFormat(f), WaveError::BadAvgBytes);
    // A rate whose bytes/s overflows 32 bits can never be consistent.
    EXPECT_EQ(CheckPcmFormat(MakePcmFormat(8, 0x40000000u, 16)), WaveError::BadAvgBytes);
}

TEST(PcmHeader, MatchesTheCanonicalLayoutByteForByte)
{
    const uint8_t expected[kPcmHeaderBytes] = {
        'R', 'I', 'F', 'F', 0x2C, 0x01, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
        16, 0, 0, 0, 1, 0, 2, 0, 0x22, 0x56, 0, 0, 0x88, 0x58, 0x01, 0,
        4, 0, 16, 0, 'd', 'a', 't', 'a', 0x08, 0x01, 0, 0};
    uint8_t header[kPcmHeaderBytes];
    ASSERT_TRUE(BuildPcmHeader(MakePcmFormat(2, 22050, 16), 264, header));
    EXPECT_EQ(0, std::memcmp(header, expected, sizeof header));
}

TEST(PcmHeader, CountsThePadOfOddDataAndRefusesWhatCannotBeWritten)
{
    uint8_t header[kPcmHeaderBytes];
    ASSERT_TRUE(BuildPcmHeader(MakePcmFormat(1, 8000, 8), 7, header));
    EXPECT_EQ(header[4], 36 + 7 + 1);
    EXPECT_EQ(header[40], 7);

    PcmFormat bad = MakePcmFormat(2, 8000, 16);
    bad.blockAlign = 3;
    EXPECT_FALSE(BuildPcmHeader(bad, 0, header));
    EXPECT_FALSE(BuildPcmHeader(MakePcmFormat(2, 8000, 16), 6, header)); // not whole blocks
    for (uint16_t align : {1, 2, 4}) {
        const PcmFormat f = MakePcmFormat(align == 4 ? 2 : 1, 8000, align == 1 ? 8 : 16);
        const uint32_t max = MaxDataBytes(f);
        EXPECT_EQ(max % align, 0u);
        EXPECT_LE(uint64_t(max) + 36 + PadBytes(max), 0xFFFFFFFFull);
        EXPECT_GT(uint64_t(max) + align + 36, 0xFFFFFFFFull - 1);
        EXPECT_TRUE(BuildPcmHeader(f, max, header));
        EXPECT_FALSE(BuildPcmHeader(f, max + align, header));
    }
}
