#pragma once
#include <string>
#include <cstdint>

// Milliseconds as "hh:mm:ss": milliseconds dropped, hours wrap at 24 (no day count).
std::string FormatTime(uint32_t ms);
