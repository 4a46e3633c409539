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
#include <vector>

namespace {
COLORREF LinkColour(HWND dialog, HWND control)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF colour = ::GetTextColor(dc);
    ::DeleteDC(dc);
    return colour;
}

void Click(HWND control)
{
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
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

bool RunningOnWine()
{
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
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

TEST_F(AboutBoxTest, TemplateIsAStandardDialogOfTheDesignedShape)
{
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), MAKEINTRESOURCEA(5));   // RT_DIALOG
    ASSERT_NE(nullptr, found);
    const auto* dlg = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(instance, found)));
    ASSERT_NE(nullptr, dlg);
    ASSERT_NE(0xFFFF0001u, *reinterpret_cast<const DWORD*>(dlg)) << "not the extended form";
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), dlg->style);
    EXPECT_EQ(0u, dlg->dwExtendedStyle);
    EXPECT_EQ(6, dlg->cdit);
    EXPECT_EQ(0, dlg->x);
    EXPECT_EQ(0, dlg->y);
    EXPECT_EQ(225, dlg->cx);
    EXPECT_EQ(62, dlg->cy);
}

TEST_F(AboutBoxTest, ShowsIconNameMakerNoticeLinkAndOk)
{
    CAboutDlg about;
    WhenAboutBoxShows([&](HWND box) {
        EXPECT_EQ("About Vorsel", TextOf(box));
        std::vector<std::string> texts;
        HWND icon = ::GetWindow(box, GW_CHILD);
        for (HWND child = ::GetWindow(icon, GW_HWNDNEXT); child; child = ::GetWindow(child, GW_HWNDNEXT))
            texts.push_back(TextOf(child));
        const std::vector<std::string> expected = { "Vorsel version 1.31", "Quenbrook Software", VORSEL_NOTICE,
                                                    VORSEL_PRODUCT_PAGE, "Ok" };
        EXPECT_EQ(expected, texts);
        EXPECT_EQ(std::vector<std::string>{}, CutLabels(box));
        EXPECT_EQ(SS_ICON, ::GetWindowLongA(icon, GWL_STYLE) & 0xFF);
        EXPECT_NE(0, ::SendMessageA(icon, STM_GETICON, 0, 0)) << "the application icon";

        HWND ok = ::GetDlgItem(box, IDOK);
        EXPECT_EQ(BS_DEFPUSHBUTTON, ::GetWindowLongA(ok, GWL_STYLE) & 0x0F);
        EXPECT_EQ(ok, ::GetFocus());

        EXPECT_EQ(::GetDlgItem(box, IDC_PRODUCTLINK), about.m_linkProduct.m_hWnd);
        EXPECT_EQ(VORSEL_PRODUCT_PAGE, about.m_linkProduct.m_strLink);
        EXPECT_EQ(g_crLinkUnvisited, LinkColour(box, about.m_linkProduct.m_hWnd));

        ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    });
    EXPECT_EQ(IDOK, about.DoModal()) << "Ok ends the box";
    EXPECT_EQ(nullptr, about.m_linkProduct.m_hWnd) << "the link lets go of its control with the box";
}

TEST_F(AboutBoxTest, ItsLinkOpensTheProductPageAndLeavesTheBoxOpen)
{
    CAboutDlg about;
    RunModal(about, [&](HWND box) {
        ::ShowWindow(box, SW_SHOWNORMAL);   // as the modal loop would once idle
        HWND link = ::GetDlgItem(box, IDC_PRODUCTLINK);
        Click(link);
        ASSERT_EQ(1u, seam.shellCalls.size());
        EXPECT_EQ(VORSEL_PRODUCT_PAGE, seam.shellCalls[0].file);
        EXPECT_EQ("open", seam.shellCalls[0].verb);
        EXPECT_EQ(SW_SHOWNORMAL, seam.shellCalls[0].show);
        PumpMessages(50);
        EXPECT_TRUE(::IsWindow(box));
        EXPECT_EQ(g_crLinkVisited, LinkColour(box, link));
    });
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

TEST_F(AboutBoxTest, AboutIsOwnedByTheMainWindowAndItsLinkIsBlueEachTime)
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
                EXPECT_FALSE(::IsWindowEnabled(dialog)) << "the main window waits while the box is open";
                HWND link = ::GetDlgItem(box, IDC_PRODUCTLINK);
                EXPECT_EQ(g_crLinkUnvisited, LinkColour(box, link));
                Click(link);
                EXPECT_EQ(g_crLinkVisited, LinkColour(box, link));
            });
            main.SendMessage(WM_COMMAND, ID_ABOUT);
            EXPECT_TRUE(seen);
            EXPECT_TRUE(::IsWindowEnabled(dialog));
        }
        EXPECT_EQ(2u, seam.shellCalls.size());
        app.m_pMainWnd = nullptr;   // or its end would end the test's message loop too
    });
    ExpectNothingShown();
}

TEST_F(AboutBoxTest, HelpContentsOpensTheProductPageMaximisedAndReportsNothing)
{
    seam.shellResult = reinterpret_cast<HINSTANCE>(2);   // even a refused open stays silent
    CRecorderDlg main;
    RunModal(main, [&](HWND) {
        main.SendMessage(WM_COMMAND, ID_HELP_CONTENTS);
        ASSERT_EQ(1u, seam.shellCalls.size());
        const ShellCall& call = seam.shellCalls[0];
        EXPECT_EQ(nullptr, call.owner);
        EXPECT_EQ("open", call.verb);
        EXPECT_EQ(VORSEL_PRODUCT_PAGE, call.file);
        EXPECT_EQ("(null)", call.parameters);
        EXPECT_EQ("(null)", call.directory);
        EXPECT_EQ(SW_SHOWMAXIMIZED, call.show);
    });
    ExpectNothingShown();
}

TEST_F(AboutBoxTest, AudioPropertiesStartsThePlatformsAudioSettings)
{
    seam.shellResult = reinterpret_cast<HINSTANCE>(2);
    CRecorderDlg main;
    RunModal(main, [&](HWND) {
        main.SendMessage(WM_COMMAND, ID_AUDIO_PROPERTIES);
        ASSERT_EQ(1u, seam.shellCalls.size());
        const ShellCall& call = seam.shellCalls[0];
        EXPECT_EQ(nullptr, call.owner);
        EXPECT_EQ("open", call.verb);
        // By its full path in the system's folder: a program of that name in the current
        // folder, which follows the user's last choice of file, must not be the one started.
        char system[MAX_PATH];
        ASSERT_NE(0u, ::GetSystemDirectoryA(system, MAX_PATH));
        if (RunningOnWine()) {
            EXPECT_EQ(std::string(system) + "\\winecfg.exe", call.file);
            EXPECT_EQ("(null)", call.parameters);
        } else {
            EXPECT_EQ(std::string(system) + "\\rundll32.exe", call.file);
            EXPECT_EQ("mmsys.cpl,ShowAudioPropertySheet", call.parameters);
        }
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(call.file.c_str())) << call.file;
        EXPECT_EQ("(null)", call.directory);
        EXPECT_EQ(SW_SHOWNORMAL, call.show);
    });
    ExpectNothingShown();
}
}
