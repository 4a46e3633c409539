// libFuzzer target: the parser must never crash, read out of bounds or hang, and whatever
// it accepts must describe bytes that are really in the input.
#include "WaveCodec.h"
#include <cstdlib>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// A layout the recorder could have made, written back out canonically, must parse to the
// same layout.
void CheckRoundTrip(const uint8_t* data, const wave::WaveLayout& layout)
{
    if (layout.format.formatTag != wave::kFormatPcm ||
        wave::CheckRecordingFormat(layout.format) != wave::WaveError::None)
        return;
    uint8_t header[wave::kPcmHeaderBytes];
    Require(wave::BuildPcmHeader(layout.format, layout.dataBytes, header));
    std::vector<uint8_t> file(header, header + sizeof header);
    file.insert(file.end(), data + layout.dataOffset, data + layout.dataOffset + layout.dataBytes);
    file.resize(file.size() + wave::PadBytes(layout.dataBytes));
    wave::WaveLayout again;
    Require(wave::ParseWave(file.data(), file.size(), again) == wave::WaveError::None);
    Require(again.dataOffset == wave::kPcmHeaderBytes && again.dataBytes == layout.dataBytes);
    Require(again.format == layout.format);
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
    return 0;
}
