// Vorsel.exe as a user meets it: started from elsewhere, with the start-up file present or
// missing, and closed by each of its ways out.
#include <gtest/gtest.h>
#include "ProcessDriver.h"
#include "resource.h"
#include <commctrl.h>
#include <mmsystem.h>

namespace {
std::string Exe() { return ProcessDriver::OwnFolder() + "Vorsel.exe"; }

void PressEscape(HWND main)
{
    // Keys reach the dialog through its focused child; the "..." button has the focus.
    ::PostMessageA(::GetDlgItem(main, IDC_BROWSE), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageA(::GetDlgItem(main, IDC_BROWSE), WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

TEST(StartupE2E, StartsFromAnotherFolderWithArgumentsAndShowsItsDefaults)
{
    ProcessDriver app;
    ASSERT_TRUE(app.Launch(Exe(), "C:\\elsewhere\\other.wav /record", "C:\\"));
    HWND main = app.MainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ("Vorsel", ProcessDriver::Text(main));
    EXPECT_EQ(ProcessDriver::OwnFolder() + "sample.wav", ProcessDriver::ItemText(main, IDC_FILENAME));
    EXPECT_EQ("44100 Hz", ProcessDriver::SelectedText(main, IDC_SAMPLERATE));
    EXPECT_EQ("Stereo", ProcessDriver::SelectedText(main, IDC_CHANNELS));
    EXPECT_EQ("16 bits", ProcessDriver::SelectedText(main, IDC_BITS));
    EXPECT_EQ(5, ::SendDlgItemMessageA(main, IDC_SAMPLERATE, CB_GETCOUNT, 0, 0));
    EXPECT_EQ("00:00:00", ProcessDriver::ItemText(main, IDC_POSITION));
    EXPECT_EQ("00:00:00", ProcessDriver::ItemText(main, IDC_LENGTH));
    EXPECT_EQ("   Ready for recording", app.StatusText(main, IDC_STATUSBAR));
    // sample.wav is 2 s long: the slider spans its length in 100 ms steps.
    EXPECT_EQ(20, ::SendDlgItemMessageA(main, IDC_SLIDER, TBM_GETRANGEMAX, 0, 0));
    EXPECT_TRUE(app.OtherWindows().empty());   // the start-up file opened without a word

    PressEscape(main);
    EXPECT_TRUE(app.WaitForExit());
    EXPECT_FALSE(::IsWindow(main));
}

TEST(StartupE2E, CloseBoxAndExitEndTheProgram)
{
    const struct { const char* what; UINT message; WPARAM command; } ways[] = {
        { "close box", WM_SYSCOMMAND, SC_CLOSE }, { "Exit", WM_COMMAND, ID_EXIT } };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        ProcessDriver app;
        ASSERT_TRUE(app.Launch(Exe(), "", ""));
        HWND main = app.MainWindow();
        ASSERT_NE(nullptr, main);
        ::PostMessageA(main, way.message, way.command, 0);
        EXPECT_TRUE(app.WaitForExit());
        EXPECT_FALSE(::IsWindow(main));
    }
}

TEST(StartupE2E, MissingStartupFileGivesOneWarningThenTheWindow)
{
    const std::string folder = ProcessDriver::TempFolder("vorsel-nosample");
    const std::string exe = folder + "Vorsel.exe";
    ASSERT_TRUE(::CopyFileA(Exe().c_str(), exe.c_str(), FALSE));
    ::DeleteFileA((folder + "sample.wav").c_str());

    ProcessDriver app;
    ASSERT_TRUE(app.Launch(exe, "", "C:\\"));
    std::vector<HWND> boxes;
    for (int i = 0; i < 150 && boxes.empty() && app.Running(); ++i) {
        ::Sleep(100);
        boxes = app.OtherWindows();
    }
    ASSERT_EQ(1u, boxes.size());
    char expected[256] = "";
    ::mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, expected, sizeof expected);
    EXPECT_EQ(expected, ProcessDriver::ItemText(boxes[0], 0xFFFF));   // the device's own text
    EXPECT_EQ(nullptr, app.MainWindow(200));   // the box comes before the window

    ::PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
    HWND main = app.MainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(folder + "sample.wav", ProcessDriver::ItemText(main, IDC_FILENAME));
    ::Sleep(300);
    EXPECT_TRUE(app.OtherWindows().empty());   // exactly one box

    PressEscape(main);
    EXPECT_TRUE(app.WaitForExit());
    ::DeleteFileA(exe.c_str());
    ::RemoveDirectoryA(folder.c_str());
}
}
