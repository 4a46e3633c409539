#include "FormatTime.h"
#include <cstdio>

std::string FormatTime(uint32_t ms)
{
    const uint32_t s = ms / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d",
                  static_cast<int>((s / 3600) % 24), static_cast<int>((s / 60) % 60),
                  static_cast<int>(s % 60));
    return text;
}
