// The main window's start-up, data exchange and ways of closing, on the real dialog.
#include "RecorderHarness.h"

namespace {
class RecorderStartup : public RecorderHarness {};

TEST_F(RecorderStartup, OpensSampleBesideTheProgramAndShowsDefaults)
{
    AnswerLength(2345);
    Run([&](HWND h) {
        const std::string expected = ModuleFolder() + "sample.wav";
        EXPECT_EQ(expected, ItemText(h, IDC_FILENAME));
        ASSERT_EQ(1u, port.Count(MCI_OPEN));
        EXPECT_EQ(expected, port.Sent(MCI_OPEN)[0].element);
        EXPECT_EQ(23, SliderMax(h));   // 2345 ms in 100 ms steps, rounded down
        EXPECT_EQ(0, SliderPos(h));
        EXPECT_EQ("00:00:00", ItemText(h, IDC_POSITION));
        EXPECT_EQ("00:00:00", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("44100 Hz", Selected(h, IDC_SAMPLERATE));
        EXPECT_EQ("Stereo", Selected(h, IDC_CHANNELS));
        EXPECT_EQ("16 bits", Selected(h, IDC_BITS));
        EXPECT_EQ(5, ::SendDlgItemMessageA(h, IDC_SAMPLERATE, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(2, ::SendDlgItemMessageA(h, IDC_CHANNELS, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(2, ::SendDlgItemMessageA(h, IDC_BITS, CB_GETCOUNT, 0, 0));
        EXPECT_EQ("   Ready for recording", Status(h));
        EXPECT_EQ("Vorsel", TextOf(h));
        EXPECT_NE(nullptr, ::GetMenu(h));
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(0u, port.Count(MCI_PLAY) + port.Count(MCI_RECORD));
    });
}

TEST_F(RecorderStartup, MissingSampleShowsOneBoxAndKeepsTheFullName)
{
    port.FailNext(MCI_OPEN, MCIERR_FILE_NOT_FOUND);
    Run([&](HWND h) {
        EXPECT_EQ(1u, ui.boxes.size());
        EXPECT_EQ(ModuleFolder() + "sample.wav", ItemText(h, IDC_FILENAME));
        EXPECT_EQ(0u, port.Count(MCI_STATUS));   // no length asked without a device
        EXPECT_EQ("Stereo", Selected(h, IDC_CHANNELS));
    });
}

TEST_F(RecorderStartup, FormatListsHoldTheirEntriesInOrder)
{
    Run([&](HWND h) {
        const char* rates[] = { "44100 Hz", "22050 Hz", "11025 Hz", "8000 Hz", "6000 Hz" };
        for (int i = 0; i < 5; ++i) {
            char text[32] = "";
            ::SendDlgItemMessageA(h, IDC_SAMPLERATE, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(rates[i], text);
        }
        char text[32] = "";
        ::SendDlgItemMessageA(h, IDC_CHANNELS, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ("Mono", text);
        ::SendDlgItemMessageA(h, IDC_BITS, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ("8 bits", text);
    });
}

TEST_F(RecorderStartup, TemplateGeometryInDialogUnits)
{
    Run([&](HWND h) {
        struct { int id; int x, y, w, h; } cases[] = {
            { IDC_BROWSE, 249, 61, 14, 12 }, { IDC_FILENAME, 62, 61, 186, 12 },
            { IDC_POSITION, 232, 95, 34, 11 }, { IDC_LENGTH, 232, 109, 34, 11 },
            { IDC_SLIDER, 3, 37, 272, 12 }, { IDC_HOMELINK, 179, 135, 90, 10 },
        };
        for (const auto& c : cases) {
            RECT expected = { c.x, c.y, c.x + c.w, c.y + c.h };
            ::MapDialogRect(h, &expected);
            RECT actual;
            ::GetWindowRect(::GetDlgItem(h, c.id), &actual);
            ::MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(expected.left, actual.left) << c.id;
            EXPECT_EQ(expected.top, actual.top) << c.id;
            EXPECT_EQ(expected.right - expected.left, actual.right - actual.left) << c.id;
        }
        EXPECT_EQ(std::vector<std::string>{}, CutLabels(h)) << "every label reads whole";
        const LONG style = ::GetWindowLongA(h, GWL_STYLE);
        EXPECT_TRUE(style & WS_MINIMIZEBOX);
        EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
        EXPECT_TRUE(::GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_EQ(static_cast<LONG>(CBS_DROPDOWNLIST),
                  ::GetWindowLongA(::GetDlgItem(h, IDC_BITS), GWL_STYLE) & 3);
    });
}

// The status line's size grip asks its parent to be resized, whatever the parent's frame.
TEST_F(RecorderStartup, TheStatusLinesGripLeavesTheWindowItsFixedSize)
{
    const INT_PTR result = RunModal(dlg, [&](HWND h) {
        RECT before;
        ::GetWindowRect(h, &before);
        // A drag of the grip: pressed at its corner, moved 40 pixels right and down, released.
        HWND status = ::GetDlgItem(h, IDC_STATUSBAR);
        RECT grip;
        ::GetWindowRect(status, &grip);
        const POINT at = { grip.right - 3, grip.bottom - 3 };
        const LRESULT hit = ::SendMessageA(status, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
        ::SetCursorPos(at.x, at.y);
        ::SendMessageA(status, WM_NCLBUTTONDOWN, hit, MAKELPARAM(at.x, at.y));
        POINT to = { at.x + 40, at.y + 40 };
        ::SetCursorPos(to.x, to.y);
        ::ScreenToClient(h, &to);
        ::PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
        ::PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
        PumpMessages(300);
        RECT after;
        ::GetWindowRect(h, &after);
        EXPECT_EQ(before.right - before.left, after.right - after.left);
        EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
        // The other commands of the window's menu still work: Close ends the run.
        ::SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(RecorderStartup, WindowIsCentredOnTheWorkArea)
{
    Run([&](HWND h) {
        RECT work, window;
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        ::GetWindowRect(h, &window);
        EXPECT_NEAR((work.left + work.right) / 2, (window.left + window.right) / 2, 1);
        EXPECT_NEAR((work.top + work.bottom) / 2, (window.top + window.bottom) / 2, 1);
    });
}

TEST_F(RecorderStartup, RefreshesWriteTheFieldOnlyWhenItDiffers)
{
    Run([&](HWND h) {
        HWND field = ::GetDlgItem(h, IDC_FILENAME);
        ::SetWindowTextA(field, "typed but not taken");
        Tick(h);   // every refresh writes the stored name back
        EXPECT_EQ(ModuleFolder() + "sample.wav", ItemText(h, IDC_FILENAME));
        // An unchanged text is not rewritten: the caret and selection survive a tick.
        ::SendMessageA(field, EM_SETSEL, 2, 5);
        Tick(h);
        DWORD from = 0, to = 0;
        ::SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(2u, from);
        EXPECT_EQ(5u, to);
    });
}

TEST_F(RecorderStartup, EscAndEnterEndTheRunWithTheirCodes)
{
    INT_PTR result = RunModal(dlg, [](HWND h) { ::SendMessageA(h, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(IDCANCEL, result);

    CRecorderDlg second;
    result = RunModal(second, [](HWND h) {
        ::SetDlgItemTextA(h, IDC_FILENAME, "typed.wav");
        ::SendMessageA(h, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("typed.wav", second.m_strFileName);   // OK takes the field's text
}

TEST_F(RecorderStartup, ExitDestroysTheWindowAndEndsTheRun)
{
    HWND window = nullptr;
    RunModal(dlg, [&](HWND h) {
        window = h;
        Command(h, ID_EXIT);
        EXPECT_FALSE(::IsWindow(h)) << "gone at once, not by the runner's own Cancel";
    });
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(0u, port.Count(MCI_STOP));   // Exit does not stop the device itself
}

TEST_F(RecorderStartup, F1IsAnsweredFalseAndChangesNothing)
{
    Run([&](HWND h) {
        HELPINFO info = {};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        EXPECT_EQ(0, ::SendMessageA(h, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
        EXPECT_TRUE(ui.shellCalls.empty());
        EXPECT_TRUE(ui.boxes.empty());
    });
}
}

// The program may sit in a folder whose name, in a double-byte code page, holds a character
// whose second byte has the backslash's value (Shift-JIS "so" is 0x83 0x5C).
TEST(ProgramFolder, ASecondByteLikeABackslashIsNoSeparator)
{
    const CString program = "C:\\dbcs\\\x98\x5E\x89\xB9\x83\x5C\x83\x74\x83\x67.exe";
    EXPECT_EQ(7u, LastPathSeparator(program, 932));
    EXPECT_EQ(5u, LastPathSeparator("C:\\\x83\x5C\\vorsel.exe", 932));
    EXPECT_EQ(2u, LastPathSeparator("C:\\vorsel.exe", 1252));
    EXPECT_EQ(std::string::npos, LastPathSeparator("vorsel.exe", 932));
}
