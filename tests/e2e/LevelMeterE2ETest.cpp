// The level meter of the real program, read from outside its process as assistive technology
// reads it: tones of known levels played into the session's sound server while a take records
// show on the bars, and the silence the session plays when nothing else does is named.
#include "RecorderWindowDriver.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <cmath>
#include <cstdio>

namespace {
class LevelMeterE2E : public ::testing::Test, protected RecorderWindowDriver {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }
    void TearDown() override { Quit(); }

    HWND Meter(int id) { return ::GetDlgItem(::GetDlgItem(main, IDC_STATUSBAR), id); }
    int Bar(int id) { return static_cast<int>(::SendMessageA(Meter(id), PBM_GETPOS, 0, 0)); }
    std::string Words() { return ProcessDriver::Text(Meter(IDC_LEVEL_WORDS)); }
    static bool Until(const std::function<bool()>& done, DWORD ms)
    {
        for (const DWORD start = ::GetTickCount(); !done(); ::Sleep(50))
            if (::GetTickCount() - start > ms)
                return false;
        return true;
    }
};

TEST_F(LevelMeterE2E, TonesShowAtTheirLevelsAndSilenceIsNamed)
{
    const double leftDb = -6, rightDb = -26;
    CEngineTone tone(440, 30, std::pow(10, leftDb / 20), std::pow(10, rightDb / 20));
    ASSERT_TRUE(tone.Start());
    ::Sleep(400);
    Command(ID_RECORD);
    ASSERT_TRUE(Until([&] { return Bar(IDC_LEVEL_LEFT) > 0; }, 3000)) << "the meter shows nothing";
    ::Sleep(300);
    std::string seen;
    for (int i = 0; i < 10; ++i, ::Sleep(100)) {
        const int left = Bar(IDC_LEVEL_LEFT), right = Bar(IDC_LEVEL_RIGHT);
        EXPECT_NEAR(60 + leftDb, left, 2);
        EXPECT_NEAR(60 + rightDb, right, 2);
        seen += " " + std::to_string(left) + "/" + std::to_string(right);
    }
    std::printf("meter left/right for %g/%g dBFS:%s\n", leftDb, rightDb, seen.c_str());
    EXPECT_EQ("", Words());

    tone.Stop();   // the session's own silence goes on
    EXPECT_TRUE(Until([&] { return Words() == "No sound from the input"; }, 5000)) << Words();
    EXPECT_EQ(0, Bar(IDC_LEVEL_LEFT) + Bar(IDC_LEVEL_RIGHT));
    EXPECT_EQ("   Recording...", Status()) << "the status line tells what it always did";
    Command(ID_STOP);
    for (int id : { IDC_LEVEL_LEFT, IDC_LEVEL_RIGHT, IDC_LEVEL_WORDS })
        EXPECT_FALSE(::IsWindowVisible(Meter(id))) << id;
}
}
