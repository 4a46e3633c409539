// The main window's start-up, data exchange and ways of closing, on the real dialog.
#include "RecorderHarness.h"

namespace {
class RecorderStartup : public RecorderHarness {};

std::vector<std::string> Entries(HWND h, int comboId)
{
    std::vector<std::string> entries;
    const int count = static_cast<int>(::SendDlgItemMessageA(h, comboId, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[32] = "";
        ::SendDlgItemMessageA(h, comboId, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

// Group boxes and etched lines frame other controls rather than stand beside them.
bool IsFrame(HWND control)
{
    char cls[32] = "";
    ::GetClassNameA(control, cls, sizeof cls);
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    return (!lstrcmpiA(cls, "Button") && (style & BS_TYPEMASK) == BS_GROUPBOX) ||
           (!lstrcmpiA(cls, "Static") && (style & SS_TYPEMASK) == SS_ETCHEDHORZ);
}

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
        const struct { int id; std::vector<std::string> entries; const char* selected; } lists[] = {
            { IDC_SAMPLERATE, { "44100 Hz", "22050 Hz", "11025 Hz", "8000 Hz", "6000 Hz" }, "44100 Hz" },
            { IDC_CHANNELS, { "Stereo", "Mono" }, "Stereo" },
            { IDC_BITS, { "8 bits", "16 bits" }, "16 bits" },
        };
        for (const auto& list : lists) {
            EXPECT_EQ(list.entries, Entries(h, list.id));
            EXPECT_EQ(list.selected, Selected(h, list.id));
            EXPECT_EQ(nullptr, ::FindWindowExA(::GetDlgItem(h, list.id), nullptr, "Edit", nullptr))
                << "a choice from the list, nothing typed";
        }
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

TEST_F(RecorderStartup, ControlsLieInsideTheWindowWithoutOverlapAndLabelsReadWhole)
{
    Run([&](HWND h) {
        RECT client;
        ::GetClientRect(h, &client);
        std::vector<HWND> controls;
        for (HWND c = ::GetWindow(h, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            if (!IsFrame(c))
                controls.push_back(c);
        ASSERT_GE(controls.size(), 16u) << "the template's controls, the toolbar and the status line";
        for (size_t i = 0; i < controls.size(); ++i) {
            const RECT r = RectIn(h, controls[i]);
            RECT common;
            EXPECT_TRUE(::IntersectRect(&common, &r, &client) && ::EqualRect(&common, &r)) << TextOf(controls[i]);
            for (size_t j = i + 1; j < controls.size(); ++j) {
                const RECT other = RectIn(h, controls[j]);
                EXPECT_FALSE(::IntersectRect(&common, &r, &other))
                    << "'" << TextOf(controls[i]) << "' and '" << TextOf(controls[j]) << "'";
            }
        }
        EXPECT_EQ(std::vector<std::string>{}, CutLabels(h)) << "every label reads whole";
        EXPECT_TRUE(::GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "a button on the taskbar";
    });
}

// The status line's size grip asks its parent to be resized, whatever the parent's frame.
TEST_F(RecorderStartup, NeitherTheGripNorTheTitleBarResizeTheWindowYetItMinimises)
{
    const INT_PTR result = RunModal(dlg, [&](HWND h) {
        RECT before;
        ::GetWindowRect(h, &before);
        // A minimise box (left of the maximise and close boxes), and a double click on the
        // title bar that does not maximise.
        const int captionY = before.top + ::GetSystemMetrics(SM_CYDLGFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
        const int minimiseX = before.right - ::GetSystemMetrics(SM_CXDLGFRAME) - ::GetSystemMetrics(SM_CXSIZE) * 5 / 2;
        EXPECT_EQ(HTMINBUTTON, ::SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(minimiseX, captionY)));
        ::SendMessageA(h, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM((before.left + before.right) / 2, captionY));

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
        EXPECT_FALSE(::IsZoomed(h));
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

TEST_F(RecorderStartup, RefreshesLeaveAnUnchangedFieldAsItIs)
{
    Run([&](HWND h) {
        HWND field = ::GetDlgItem(h, IDC_FILENAME);
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
