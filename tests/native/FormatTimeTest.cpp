#include "FormatTime.h"
#include <gtest/gtest.h>

TEST(FormatTime, DropsMillisecondsAndWrapsHoursAtADay)
{
    const struct { uint32_t ms; const char* text; } cases[] = {
        {0, "00:00:00"},        {999, "00:00:00"},       {1000, "00:00:01"},
        {61000, "00:01:01"},    {3599999, "00:59:59"},   {3600000, "01:00:00"},
        {86399000, "23:59:59"}, {86400000, "00:00:00"},  {90061000, "01:01:01"},
        {4294967295u, "17:02:47"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatTime(c.ms), c.text) << c.ms << " ms";
}
