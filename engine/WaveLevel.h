#pragma once
// The level a meter shows: the peak of a stretch of samples, per channel, as one 32-bit word
// with the left channel in the high word and the right (or only) channel in the low word.
// The scale is the samples' own: up to 128 for 8-bit sound, up to 32768 for everything else,
// wider integer and float samples being brought to 16 bits. No Win32 here.
#include "WaveCodec.h"
#include <cstddef>
#include <cstdint>

namespace wave {

// The peak of the whole blocks in data. Mono gives a high word of 0. Of more than two
// channels the even ones (front left, centre, rear left...) count as left, the odd ones as right.
uint32_t PeakLevel(const WaveFormat& format, const void* data, size_t bytes);
// The larger of two levels, channel by channel.
uint32_t MaxLevel(uint32_t a, uint32_t b);

} // namespace wave
