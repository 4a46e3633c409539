#include "WaveLevel.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace wave {

namespace {

// One sample's magnitude on the level's scale; p points at its first (lowest) byte.
uint32_t Magnitude(const WaveFormat& format, const uint8_t* p)
{
    if (format.sampleType == SampleType::Float) {
        double x;
        if (format.bitsPerSample == 32) {
            float f;
            std::memcpy(&f, p, sizeof f);
            x = f;
        } else {
            std::memcpy(&x, p, sizeof x);
        }
        x = std::fabs(x);
        // Full scale and beyond, infinities included, is full scale; not a number is nothing.
        return x >= 1.0 ? 32768u : x > 0 ? static_cast<uint32_t>(x * 32768) : 0u;
    }
    switch (format.bitsPerSample) {
    case 8: return static_cast<uint32_t>(std::abs(p[0] - 128));
    case 16: return static_cast<uint32_t>(std::abs(static_cast<int16_t>(p[0] | p[1] << 8)));
    case 24: {
        const int32_t s = static_cast<int32_t>(static_cast<uint32_t>(p[0] << 8 | p[1] << 16 | p[2] << 24)) >> 8;
        return static_cast<uint32_t>(std::abs(s)) >> 8;
    }
    default: {   // 32
        const int32_t s = static_cast<int32_t>(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) |
                                               static_cast<uint32_t>(p[3]) << 24);
        return static_cast<uint32_t>(std::llabs(static_cast<int64_t>(s)) >> 16);
    }
    }
}

} // namespace

uint32_t PeakLevel(const WaveFormat& format, const void* data, size_t bytes)
{
    if (format.blockAlign == 0 || format.channels == 0)
        return 0;
    const size_t sampleBytes = format.bitsPerSample / 8;
    const auto* p = static_cast<const uint8_t*>(data);
    const uint8_t* end = p + (bytes - bytes % format.blockAlign);
    uint32_t left = 0, right = 0;
    for (; p < end; p += format.blockAlign) {
        for (uint16_t c = 0; c < format.channels; ++c) {
            const uint32_t m = Magnitude(format, p + c * sampleBytes);
            uint32_t& side = (c % 2 == 0 && format.channels > 1) ? left : right;
            side = std::max(side, m);
        }
    }
    return left << 16 | right;
}

uint32_t MaxLevel(uint32_t a, uint32_t b)
{
    return std::max(a >> 16, b >> 16) << 16 | std::max(a & 0xFFFF, b & 0xFFFF);
}

} // namespace wave
