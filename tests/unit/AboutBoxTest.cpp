// The About box on its real template, the main window's commands that leave the recorder
// (About, Help Contents, Audio Properties) and the F1 answer of both windows.
#include <gtest/gtest.h>
#include "CAboutDlg.h"
#include "CRecorderDlg.h"
#include "CWinApp.h"
#include "DialogRunner.h"
#include "RecordingUiSeam.h"
#include "ScriptedMciPort.h"
#include "resource.h"
#include <functional>
#include <map>
#include <vector>

namespace {
const COLORREF BLUE = RGB(0, 0, 255);
const COLORREF PURPLE = RGB(128, 0, 128);

// The colour a label's text shows in: the commonest one it paints over a ground of its own.
COLORREF InkOf(HWND control)
{
    const COLORREF ground = RGB(0, 160, 80);
    std::map<COLORREF, int> counts;
    COLORREF ink = ground;
    for (const std::vector<COLORREF>& row : Picture(control, ground))
        for (COLORREF c : row)
            if (c != ground && ++counts[c] > counts[ink])
                ink = c;
    return ink;
}

LRESULT SendF1(HWND window)
{
    HELPINFO info = { sizeof(HELPINFO), HELPINFO_WINDOW, IDOK, ::GetDlgItem(window, IDOK), 0, { 0, 0 } };
    return ::SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

// A plain top-level window that counts the help requests passed on to it.
int g_helpRequestsSeen = 0;
LRESULT CALLBACK CountHelp(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP)
        ++g_helpRequestsSeen;
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

class OwnerWindow {
public:
    OwnerWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CountHelp;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VorselTestOwner";
        ::RegisterClassA(&wc);
        m_wnd.Attach(::CreateWindowA("VorselTestOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                     nullptr, wc.hInstance, nullptr));
        g_helpRequestsSeen = 0;
    }
    ~OwnerWindow() { ::DestroyWindow(m_wnd.Detach()); }
    CWnd m_wnd;
};

// Only this thread's windows: other test programs may show their own About box meanwhile.
BOOL CALLBACK MatchAboutBox(HWND window, LPARAM found)
{
    if (TextOf(window) != "About Vorsel")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FindAboutBox()
{
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchAboutBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs body on the About box once the main window has opened it, then closes the box.
std::function<void(HWND)> g_onAboutBox;
void CALLBACK LookForAboutBox(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = FindAboutBox();
    if (!box)
        return;
    ::KillTimer(nullptr, id);
    auto body = g_onAboutBox;
    g_onAboutBox = nullptr;
    if (body)
        body(box);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
}

void WhenAboutBoxShows(const std::function<void(HWND)>& body)
{
    g_onAboutBox = body;
    ::SetTimer(nullptr, 0, 10, &LookForAboutBox);
}

// Whether this system has what a launch names: the program, and a control-panel applet that
// rundll32-style parameters ("applet.cpl,Entry") hand it. Both are looked for in the system's
// folder, where a launch must find them: a program of that name in the current folder, which
// follows the user's last choice of file, is no stand-in.
std::string MissingFromSystem(const ShellCall& call)
{
    char system[MAX_PATH];
    ::GetSystemDirectoryA(system, MAX_PATH);
    const std::string folder = std::string(system) + "\\";
    std::vector<std::string> needed = { call.file };
    const size_t applet = call.parameters.find(".cpl,");
    if (applet != std::string::npos)
        needed.push_back(folder + call.parameters.substr(0, applet + 4));
    for (const std::string& path : needed) {
        const bool inSystem = path.compare(0, folder.size(), folder) == 0;
        if (!inSystem || ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return path;
    }
    return "";
}

class AboutBoxTest : public ::testing::Test {
protected:
    RecordingUiSeam seam;
    ScopedUiSeam seamScope{ &seam };
    ScriptedMciPort port;
    ScopedMciPort portScope{ &port };

    void ExpectNothingShown()
    {
        EXPECT_TRUE(seam.boxes.empty());
    }
};

TEST_F(AboutBoxTest, ShowsIconNameMakerNoticeAndLinkWholeAndEnterEndsIt)
{
    CAboutDlg about;
    const INT_PTR result = RunModal(about, [&](HWND box) {
        ::ShowWindow(box, SW_SHOWNORMAL);   // as the modal loop would once idle
        EXPECT_EQ("About Vorsel", TextOf(box));
        std::vector<std::string> texts;
        HWND icon = ::GetWindow(box, GW_CHILD);
        for (HWND child = ::GetWindow(icon, GW_HWNDNEXT); child; child = ::GetWindow(child, GW_HWNDNEXT))
            texts.push_back(TextOf(child));
        const std::vector<std::string> expected = { "Vorsel version 1.31", "Quenbrook Software",
                                                    "(C) 2012 Quenbrook Software",
                                                    "http://quenbrook.example/vorsel", "Ok" };
        EXPECT_EQ(expected, texts);
        EXPECT_NE(0, ::SendMessageA(icon, STM_GETICON, 0, 0)) << "the application icon";
        EXPECT_EQ(std::vector<std::string>{}, CutLabels(box));
        RECT client;
        ::GetClientRect(box, &client);
        for (HWND child = icon; child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT r, inside;
            ::GetWindowRect(child, &r);
            ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_TRUE(::IntersectRect(&inside, &r, &client) && ::EqualRect(&inside, &r)) << TextOf(child);
        }
        EXPECT_EQ(BLUE, InkOf(::GetDlgItem(box, IDC_PRODUCTLINK)));

        // A title bar with a close box, and a frame that cannot be dragged to another size.
        RECT w;
        ::GetWindowRect(box, &w);
        const int closeX = w.right - ::GetSystemMetrics(SM_CXDLGFRAME) - ::GetSystemMetrics(SM_CXSIZE) / 2;
        const int captionY = w.top + ::GetSystemMetrics(SM_CYDLGFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
        EXPECT_EQ(HTCLOSE, ::SendMessageA(box, WM_NCHITTEST, 0, MAKELPARAM(closeX, captionY)));
        EXPECT_EQ(HTBORDER, ::SendMessageA(box, WM_NCHITTEST, 0, MAKELPARAM(w.right - 1, w.bottom - 1)));

        HWND ok = ::GetDlgItem(box, IDOK);
        EXPECT_EQ(ok, ::GetFocus());
        ::PostMessageA(ok, WM_KEYDOWN, VK_RETURN, 0);   // comes before the runner's Cancel
    });
    EXPECT_EQ(IDOK, result) << "Enter is Ok";
    EXPECT_EQ(nullptr, about.m_linkProduct.m_hWnd) << "the link lets go of its control with the box";
}

TEST_F(AboutBoxTest, F1InEitherWindowOpensNothingAndGoesNowhere)
{
    OwnerWindow owner;
    ASSERT_NE(nullptr, owner.m_wnd.m_hWnd);
    CAboutDlg about(&owner.m_wnd);
    RunModal(about, [&](HWND box) {
        ::ShowWindow(box, SW_SHOWNORMAL);   // as the modal loop would once idle
        EXPECT_EQ(0, SendF1(box));
        PumpMessages(50);
        EXPECT_TRUE(::IsWindow(box));
    });
    CRecorderDlg main(&owner.m_wnd);
    RunModal(main, [&](HWND dialog) {
        CString status;
        main.m_wndStatusBar.GetWindowText(status);
        EXPECT_EQ(0, SendF1(dialog));
        CString after;
        main.m_wndStatusBar.GetWindowText(after);
        EXPECT_EQ(status, after);
    });
    EXPECT_EQ(0, g_helpRequestsSeen) << "not passed on to the owner";
    EXPECT_TRUE(seam.shellCalls.empty());
    ExpectNothingShown();
}

TEST_F(AboutBoxTest, AboutOpensOverTheMainWindowAndItsLinkOpensTheProductPageEachTime)
{
    CRecorderDlg main;
    CWinApp app;   // the box finds its owner through the application's main window
    app.m_pMainWnd = &main;
    RunModal(main, [&](HWND dialog) {
        for (int opening = 0; opening < 2; ++opening) {
            SCOPED_TRACE(opening);
            bool seen = false;
            WhenAboutBoxShows([&](HWND box) {
                seen = true;
                EXPECT_EQ(dialog, ::GetWindow(box, GW_OWNER));
                RECT owner, self;
                ::GetWindowRect(dialog, &owner);
                ::GetWindowRect(box, &self);
                EXPECT_NEAR(owner.left + owner.right, self.left + self.right, 2) << "centred over it";
                EXPECT_NEAR(owner.top + owner.bottom, self.top + self.bottom, 2);
                EXPECT_FALSE(::IsWindowEnabled(dialog)) << "the main window waits while the box is open";
                HWND link = ::GetDlgItem(box, IDC_PRODUCTLINK);
                EXPECT_EQ(BLUE, InkOf(link)) << "a new box, a new link";
                ClickLabel(link);
                ASSERT_EQ(opening + 1u, seam.shellCalls.size());
                EXPECT_EQ("http://quenbrook.example/vorsel", seam.shellCalls.back().file);
                EXPECT_EQ("open", seam.shellCalls.back().verb);
                EXPECT_EQ(SW_SHOWNORMAL, seam.shellCalls.back().show);
                PumpMessages(50);
                EXPECT_TRUE(::IsWindow(box)) << "the box stays open";
                EXPECT_EQ(PURPLE, InkOf(link));
            });
            main.SendMessage(WM_COMMAND, ID_ABOUT);
            EXPECT_TRUE(seen);
            EXPECT_TRUE(::IsWindowEnabled(dialog));
        }
        app.m_pMainWnd = nullptr;   // or its end would end the test's message loop too
    });
    ExpectNothingShown();
}

TEST_F(AboutBoxTest, HelpContentsAndAudioPropertiesLaunchWhatThisSystemHasAndReportNothing)
{
    seam.shellResult = reinterpret_cast<HINSTANCE>(2);   // even a refused open stays silent
    CRecorderDlg main;
    RunModal(main, [&](HWND) {
        main.SendMessage(WM_COMMAND, ID_HELP_CONTENTS);
        main.SendMessage(WM_COMMAND, ID_AUDIO_PROPERTIES);
    });
    ASSERT_EQ(2u, seam.shellCalls.size());
    for (const ShellCall& call : seam.shellCalls) {
        EXPECT_EQ(nullptr, call.owner);
        EXPECT_EQ("open", call.verb);
        EXPECT_EQ("(null)", call.directory);
    }
    const ShellCall& page = seam.shellCalls[0];
    EXPECT_EQ("http://quenbrook.example/vorsel", page.file);
    EXPECT_EQ("(null)", page.parameters);
    EXPECT_EQ(SW_SHOWMAXIMIZED, page.show);
    // The audio settings: a program of the system, with the applet it is handed, if any.
    const ShellCall& settings = seam.shellCalls[1];
    EXPECT_EQ("", MissingFromSystem(settings)) << settings.file << " " << settings.parameters;
    EXPECT_EQ(SW_SHOWNORMAL, settings.show);
    ExpectNothingShown();
}
}
