// libFuzzer target: the parser must never crash, read out of bounds or hang, and whatever
// it accepts must describe bytes that are really in the input, survive being written back and
// still open, shorter, when cut short.
#include "WaveBytes.h"
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<uint8_t> Parsable(const std::vector<uint8_t>& header, const uint8_t* samples, uint32_t n)
{
    std::vector<uint8_t> file(header);
    file.insert(file.end(), samples, samples + n);
    file.resize(file.size() + wave::PadBytes(n));
    return file;
}

// An accepted layout, written back out in its own kind, must parse to the same layout.
void CheckRoundTrip(const uint8_t* data, const wave::WaveLayout& layout)
{
    std::vector<uint8_t> header;
    Require(wave::BuildWaveHeader(layout.format, layout.dataBytes, header));
    Require(header.size() == wave::WaveHeaderBytes(layout.format));
    const std::vector<uint8_t> file = Parsable(header, data + layout.dataOffset, layout.dataBytes);
    wave::WaveLayout again;
    Require(wave::ParseWave(file.data(), file.size(), again) == wave::WaveError::None);
    Require(again.dataOffset == header.size() && again.dataBytes == layout.dataBytes);
    Require(again.format == layout.format);
}

// The device format block must itself be a fmt chunk the parser takes, with the same shape.
void CheckDeviceFormat(const wave::WaveFormat& format)
{
    uint8_t block[wave::kDeviceFormatMaxBytes];
    const size_t size = wave::BuildDeviceFormat(format, block);
    Require(size == 18 || size == 40);
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                 uint8_t(size), 0, 0, 0};
    file.insert(file.end(), block, block + size);
    file.insert(file.end(), {'d', 'a', 't', 'a', 0, 0, 0, 0});
    file[4] = uint8_t(file.size() - 8);
    wave::WaveLayout device;
    Require(wave::ParseWave(file.data(), file.size(), device) == wave::WaveError::None);
    Require(device.format.channels == format.channels && device.format.samplesPerSec == format.samplesPerSec &&
            device.format.blockAlign == format.blockAlign && device.format.sampleType == format.sampleType);
}

// The same file cut within its sound, as an interrupted copy leaves it, must give up the
// whole blocks before the cut; only a file whose format came after its sound is then cut short.
void CheckCutShort(const uint8_t* data, const wave::WaveLayout& layout)
{
    const uint32_t blocks = layout.dataBytes / layout.format.blockAlign;
    if (blocks < 2)
        return;
    const uint32_t kept = blocks / 2 * layout.format.blockAlign;
    wave::WaveLayout cut;
    const wave::WaveError error = wave::ParseWave(data, layout.dataOffset + kept, cut);
    if (error != wave::WaveError::None) {
        Require(error == wave::WaveError::Truncated);
        return;
    }
    Require(cut.dataOffset == layout.dataOffset && cut.dataBytes == kept && cut.format == layout.format);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    wave::WaveLayout layout;
    const wave::WaveError error = wave::ParseWave(data, size, layout);
    Require(wave::KindOf(error) != wave::WaveErrorKind::ReadFailed);
    if (error != wave::WaveError::None)
        return 0;
    Require(wave::CheckWaveFormat(layout.format) == wave::WaveError::None);
    Require(layout.dataOffset <= size && layout.dataBytes <= size - layout.dataOffset);
    Require(layout.dataBytes % layout.format.blockAlign == 0);
    CheckRoundTrip(data, layout);
    CheckCutShort(data, layout);
    CheckDeviceFormat(layout.format);
    return 0;
}
