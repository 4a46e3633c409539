#pragma once
// Reading and writing the layout of WAVE files of integer PCM and IEEE float samples. No Win32
// here: this builds natively too, so it can run under sanitizers and a fuzzer.
//
// Reading: ParseWave gives a WaveLayout whose WaveFormat says how the samples are stored.
// A refusal is a WaveError; KindOf tells a damaged file (Corrupt) from a sound one in a format
// we do not play (Unsupported), so each can be told to the user truthfully.
// Writing: BuildWaveHeader writes a file's header back in the file's own kind (plain PCM, float
// with a fact chunk, or extensible), a take's included.
// Playing: BuildDeviceFormat gives the format block an output device is opened with.
#include "IWaveByteSource.h"
#include <cstddef>
#include <cstdint>
#include <vector>

namespace wave {

// The shape of integer PCM samples, as the recorder holds them. bitsPerSample is the
// container size: each sample takes bitsPerSample / 8 bytes.
struct PcmFormat {
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

// Format tags as files store them.
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

enum class SampleType : uint8_t { Integer, Float };

// Everything a file's fmt chunk says that is needed to play it and to write it back as it
// was. The PcmFormat part keeps its meaning (bitsPerSample is the container), so a format the
// recorder could have made reads the same through either type.
struct WaveFormat : PcmFormat {
    uint16_t formatTag = kFormatPcm;            // kFormatPcm, kFormatFloat or kFormatExtensible
    SampleType sampleType = SampleType::Integer; // for extensible: from its sub-format
    uint16_t validBits = 0;                      // bits that carry signal, 1..bitsPerSample
    uint32_t channelMask = 0;                    // speaker positions; extensible only, else 0
};

bool operator==(const WaveFormat& a, const WaveFormat& b);

struct WaveLayout {
    WaveFormat format;
    uint64_t dataOffset = 0; // file offset of the first sample byte
    uint32_t dataBytes = 0;  // always a whole number of blocks
};

enum class WaveError {
    None,
    ReadFailed,           // the byte source failed to deliver bytes it holds
    Truncated,            // the file ends before a chunk it needs is complete
    NotRiff,              // no "RIFF" magic: not a RIFF file at all
    UnsupportedRiff,      // a RIFF variant we do not read (RIFX, RF64, BW64)
    NotWave,              // a RIFF file of another form type
    BadRiffSize,          // the RIFF size cannot be true of this file
    TooManyChunks,        // more chunks than any real file has before its data
    NoFormat,             // no fmt chunk
    DuplicateFormat,      // two fmt chunks: which one is true is unknowable
    BadFormatChunk,       // fmt chunk too short, its extension inconsistent, or valid bits
                          // outside 1..container, or a zero sample size
    UnsupportedEncoding,  // compressed or unknown samples (format tag or sub-format)
    ZeroChannels,
    TooManyChannels,      // more than kMaxChannels
    ZeroRate,
    RateTooHigh,          // more than kMaxSampleRate
    UnsupportedBits,      // a sample size this encoding does not come in here
    BadBlockAlign,        // block align is not channels * bytes per sample
    BadAvgBytes,          // bytes per second is not rate * block align
    NoData,               // no data chunk
    DataTruncated,        // the data chunk claims more bytes than the file holds, and the
                          // file holds not one whole block of them
};

// What a refusal means for the user: the file could not be read, it is damaged or not a
// WAVE file, or it is a sound file in a format we do not play.
enum class WaveErrorKind { None, ReadFailed, Corrupt, Unsupported };
WaveErrorKind KindOf(WaveError error);

// Largest channel count accepted; the recorder itself makes mono and stereo only.
constexpr uint16_t kMaxChannels = 8;
// Highest sample rate a file may have.
constexpr uint32_t kMaxSampleRate = 768000;
// Chunks walked before giving up; real files have a handful.
constexpr unsigned kMaxChunks = 1024;
// Size of a take's header, and of any plain PCM file's that BuildWaveHeader writes.
constexpr size_t kPcmHeaderBytes = 44;
// Largest format block BuildDeviceFormat writes (an extensible one).
constexpr size_t kDeviceFormatMaxBytes = 40;

// Reads a file's format and finds its samples. A partial last block is left out of dataBytes.
// A damaged file gives up what it holds: a data chunk cut short by the end of the file, or
// whose size its writer left unwritten (0xFFFFFFFF, or 0 where the data chunk ends the RIFF or
// the RIFF's own size is 0 or 0xFFFFFFFF), runs to the end of the file; a wrong bytes-per-second
// field is taken from the rate and block, and an extensible format's valid bits of 0 from the
// container.
WaveError ParseWave(IWaveByteSource& source, WaveLayout& layout);

// None if ParseWave would accept this format: PCM in 8/16/24/32-bit containers or float in
// 32/64, 1..kMaxChannels, 1..kMaxSampleRate Hz, valid bits 1..container, plain tags with all
// bits valid and no channel mask, block align and bytes/s that agree.
WaveError CheckWaveFormat(const WaveFormat& format);

// A consistent format for the given shape (block align and bytes/s computed).
PcmFormat MakePcmFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);
// The plain-PCM WaveFormat of a recorder format (all bits valid, no channel mask).
WaveFormat MakeWaveFormat(const PcmFormat& format);
// None if the format is PCM the recorder can hold: 1..kMaxChannels, non-zero rate, 8 or 16
// bits, block align and bytes/s that agree with them.
WaveError CheckRecordingFormat(const PcmFormat& format);
// True if the format is exactly what MakeWaveFormat makes of a recording format: plain 8- or
// 16-bit PCM, all bits valid, no channel mask. What a take's header can say.
bool IsRecordingFormat(const WaveFormat& format);

// Largest data size, in whole blocks, whose file still fits the 32-bit RIFF size behind the
// header BuildWaveHeader writes for this format.
uint32_t MaxDataBytes(const WaveFormat& format);
// Bytes a data chunk of this size is followed by (RIFF pads odd chunks to even).
inline uint32_t PadBytes(uint32_t dataBytes) { return dataBytes & 1u; }
// How long bytes of sound play, to the nearest millisecond: a 1.5 s file of 11025 Hz is 1500 ms,
// not 1499.
uint32_t DurationMs(uint64_t bytes, const PcmFormat& format);

// Size of the header BuildWaveHeader writes for this format: 44 for plain PCM, 58 for plain
// float, 68 for extensible PCM, 80 for extensible float.
size_t WaveHeaderBytes(const WaveFormat& format);
// Replaces header with a canonical header in the format's own kind, ending with the data
// chunk's header: plain PCM gets a 16-byte fmt (kPcmHeaderBytes in all), plain float an 18-byte
// fmt, extensible its 40-byte fmt as read; float samples also get a fact chunk holding the
// frame count. False, header untouched, if the format is neither a recording format nor one
// CheckWaveFormat accepts, or the data is not whole blocks up to MaxDataBytes. The caller
// writes the pad after odd data.
bool BuildWaveHeader(const WaveFormat& format, uint32_t dataBytes, std::vector<uint8_t>& header);

// Writes the format block to open an output device with, laid out byte for byte as the
// system's format structures, and returns its size: 18 (a plain PCM format, cbSize 0) for
// integer samples of up to 16 bits in at most 2 channels, otherwise 40 (extensible, with the
// file's channel mask, or the usual speakers for the channel count if it has none).
// 0 if CheckWaveFormat refuses the format.
size_t BuildDeviceFormat(const WaveFormat& format, uint8_t (&block)[kDeviceFormatMaxBytes]);

} // namespace wave
