// The hyperlink label on real static controls of a real dialog: how the parent's colour request
// is answered, what a click opens and how it changes the colour, the hand cursor, the hit test.
#include <gtest/gtest.h>
#include "CStaticLink.h"
#include "CRecorderDlg.h"
#include "DialogRunner.h"
#include "RecordingUiSeam.h"
#include "ScriptedMciPort.h"
#include "resource.h"
#include <functional>

namespace {
const int FIRST_TEST_ID = 2000;
const char TARGET[] = "http://quenbrook.example/link-test";

HINSTANCE ShellResult(UINT_PTR value)
{
    return reinterpret_cast<HINSTANCE>(value);
}

// What the parent's answer to a colour request left in a fresh device context.
struct Colours {
    HBRUSH brush;
    COLORREF text;
    int bkMode;
    LOGFONTA font;
    HFONT fontHandle;
};

Colours AskColours(HWND dialog, HWND control)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SetBkMode(dc, OPAQUE);
    Colours c = {};
    c.brush = reinterpret_cast<HBRUSH>(::SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(control)));
    c.text = ::GetTextColor(dc);
    c.bkMode = ::GetBkMode(dc);
    c.fontHandle = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    ::GetObjectA(c.fontHandle, sizeof c.font, &c.font);
    ::DeleteDC(dc);
    return c;
}

LOGFONTA FontOf(HFONT font)
{
    LOGFONTA lf = {};
    ::GetObjectA(font, sizeof lf, &lf);
    return lf;
}

HBRUSH Hollow()
{
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void Click(HWND control)
{
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
}

bool NeedsRepaint(HWND control)
{
    return ::GetUpdateRect(control, nullptr, FALSE) != FALSE;
}

class StaticLinkTest : public ::testing::Test {
protected:
    RecordingUiSeam seam;
    ScopedUiSeam seamScope{ &seam };
    // The About box's template is a convenient real dialog with a font to host test statics.
    CDialog host{ IDD_ABOUTBOX };
    int nextId = FIRST_TEST_ID;
    HCURSOR savedCursor = g_hLinkCursor;
    BOOL savedTried = g_bLinkCursorTried;

    ~StaticLinkTest() override
    {
        g_hLinkCursor = savedCursor;
        g_bLinkCursorTried = savedTried;
    }

    // A static on the dialog, with the dialog's font unless withFont is false.
    HWND MakeStatic(HWND dialog, DWORD style, const char* text, bool withFont = true)
    {
        HWND control = ::CreateWindowA("STATIC", text, WS_CHILD | WS_VISIBLE | style, 5, 60, 150, 14, dialog,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)),
                                       ::GetModuleHandleA(nullptr), nullptr);
        if (withFont)
            ::SendMessageA(control, WM_SETFONT, ::SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
        return control;
    }

    // Runs body on the shown host. Its template is not visible by itself and the modal loop
    // shows it only when idle, which the body's timer comes before; RunModal ends shown ones.
    void OnHost(const std::function<void(HWND)>& body)
    {
        RunModal(host, [&](HWND dialog) {
            ::ShowWindow(dialog, SW_SHOWNORMAL);
            body(dialog);
        });
    }

    void Attach(CStaticLink& link, HWND control, const char* target)
    {
        ASSERT_TRUE(link.SubclassDlgItem(static_cast<UINT>(::GetDlgCtrlID(control)), &host));
        link.m_strLink = target;
    }
};

TEST_F(StaticLinkTest, DrawsPlainTextStaticsUnderlinedInBlueOverTheDialog)
{
    OnHost([&](HWND dialog) {
        const HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
        ASSERT_NE(nullptr, dialogFont);
        // Bits outside the low byte (SS_CENTERIMAGE) do not make a static any less plain.
        const DWORD styles[] = { SS_LEFT, SS_CENTER, SS_RIGHT, SS_LEFT | SS_CENTERIMAGE };
        for (DWORD style : styles) {
            SCOPED_TRACE(style);
            CStaticLink link;
            Attach(link, MakeStatic(dialog, style, "link"), TARGET);
            const Colours c = AskColours(dialog, link.m_hWnd);
            EXPECT_EQ(Hollow(), c.brush);
            EXPECT_EQ(g_crLinkUnvisited, c.text);
            EXPECT_EQ(RGB(0, 0, 255), c.text);
            EXPECT_EQ(TRANSPARENT, c.bkMode);
            EXPECT_EQ(link.m_fontLink.GetSafeHandle(), c.fontHandle);
            EXPECT_EQ(link.m_fontLink.GetSafeHandle(), reinterpret_cast<HFONT>(link.SendMessage(WM_GETFONT)))
                << "a static that selects its own font when painting draws underlined too";
            // The control's own font, underlined.
            const LOGFONTA base = FontOf(dialogFont);
            EXPECT_EQ(1, c.font.lfUnderline);
            EXPECT_EQ(base.lfHeight, c.font.lfHeight);
            EXPECT_EQ(base.lfWeight, c.font.lfWeight);
            EXPECT_STREQ(base.lfFaceName, c.font.lfFaceName);
        }
    });
}

TEST_F(StaticLinkTest, MakesItsFontOnceAndFromTheDcWhenTheControlHasNone)
{
    OnHost([&](HWND dialog) {
        CStaticLink link;
        Attach(link, MakeStatic(dialog, SS_LEFT, "link"), TARGET);
        const Colours first = AskColours(dialog, link.m_hWnd);
        // A later font of the control is not followed.
        LOGFONTA big = FontOf(reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)));
        big.lfHeight *= 3;
        HFONT other = ::CreateFontIndirectA(&big);
        ::SendMessageA(link.m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(other), FALSE);
        const Colours second = AskColours(dialog, link.m_hWnd);
        EXPECT_EQ(first.fontHandle, second.fontHandle);
        EXPECT_EQ(first.font.lfHeight, second.font.lfHeight);
        link.DestroyWindow();
        ::DeleteObject(other);

        CStaticLink bare;
        Attach(bare, MakeStatic(dialog, SS_LEFT, "no font", false), TARGET);
        HDC dc = ::CreateCompatibleDC(nullptr);
        const LOGFONTA dcFont = FontOf(static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT)));
        ::DeleteDC(dc);
        const Colours c = AskColours(dialog, bare.m_hWnd);
        EXPECT_EQ(Hollow(), c.brush);
        EXPECT_EQ(1, c.font.lfUnderline);
        EXPECT_STREQ(dcFont.lfFaceName, c.font.lfFaceName);
    });
}

TEST_F(StaticLinkTest, LeavesIconsAndPrefixlessTextToTheParentYetStillOpensAndShowsTheHand)
{
    OnHost([&](HWND dialog) {
        g_hLinkCursor = ::LoadCursorA(nullptr, IDC_HAND);
        g_bLinkCursorTried = TRUE;
        HWND icon = nullptr;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if ((::GetWindowLongA(child, GWL_STYLE) & 0xFF) == SS_ICON)
                icon = child;
        ASSERT_NE(nullptr, icon);
        ::SetWindowLongPtrA(icon, GWLP_ID, nextId++);
        HWND controls[] = { MakeStatic(dialog, SS_LEFT | SS_NOPREFIX, "a & b"), icon };
        for (HWND control : controls) {
            SCOPED_TRACE(::GetWindowLongA(control, GWL_STYLE) & 0xFF);
            CStaticLink link;
            Attach(link, control, TARGET);
            const Colours c = AskColours(dialog, control);
            EXPECT_NE(Hollow(), c.brush);
            EXPECT_NE(nullptr, c.brush) << "the dialog's standard colours apply";
            EXPECT_NE(g_crLinkUnvisited, c.text);
            EXPECT_EQ(0, c.font.lfUnderline);
            EXPECT_EQ(nullptr, link.m_fontLink.GetSafeHandle());

            seam.shellCalls.clear();
            Click(control);
            ASSERT_EQ(1u, seam.shellCalls.size());
            EXPECT_EQ(TARGET, seam.shellCalls[0].file);
            EXPECT_EQ(g_crLinkVisited, link.m_crText);

            ::SetCursor(::LoadCursorA(nullptr, IDC_CROSS));
            EXPECT_EQ(TRUE, ::SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
            EXPECT_EQ(g_hLinkCursor, ::GetCursor());
            link.Detach();
        }
    });
}

TEST_F(StaticLinkTest, TurnsPurpleOnlyAfterAnOpenThatSucceeded)
{
    OnHost([&](HWND dialog) {
        CStaticLink link;
        Attach(link, MakeStatic(dialog, SS_LEFT, "shown text"), TARGET);

        // 32 is still an error code: a beep, and nothing changes.
        seam.shellResult = ShellResult(32);
        ::ValidateRect(link.m_hWnd, nullptr);
        Click(link.m_hWnd);
        ASSERT_EQ(1u, seam.shellCalls.size());
        const ShellCall& call = seam.shellCalls[0];
        EXPECT_EQ(nullptr, call.owner);
        EXPECT_EQ("open", call.verb);
        EXPECT_EQ(TARGET, call.file) << "the target, not the shown text";
        EXPECT_EQ("(null)", call.parameters);
        EXPECT_EQ("(null)", call.directory);
        EXPECT_EQ(SW_SHOWNORMAL, call.show);
        EXPECT_EQ(g_crLinkUnvisited, link.m_crText);
        EXPECT_EQ(g_crLinkUnvisited, AskColours(dialog, link.m_hWnd).text);
        EXPECT_FALSE(NeedsRepaint(link.m_hWnd));
        EXPECT_TRUE(seam.boxes.empty()) << "a refused open is not reported in a box";

        seam.shellResult = ShellResult(33);
        Click(link.m_hWnd);
        EXPECT_EQ(2u, seam.shellCalls.size());
        EXPECT_EQ(RGB(128, 0, 128), link.m_crText);
        EXPECT_EQ(g_crLinkVisited, AskColours(dialog, link.m_hWnd).text);
        EXPECT_TRUE(NeedsRepaint(link.m_hWnd)) << "redrawn in purple";

        // Each click opens again; nothing turns the link back.
        seam.shellResult = ShellResult(2);
        Click(link.m_hWnd);
        seam.shellResult = ShellResult(42);
        Click(link.m_hWnd);
        EXPECT_EQ(4u, seam.shellCalls.size());
        EXPECT_EQ(g_crLinkVisited, link.m_crText);
        EXPECT_EQ(g_crLinkUnvisited, CStaticLink().m_crText) << "a new label starts blue";
    });
}

TEST_F(StaticLinkTest, TakesAnEmptyTargetFromItsTextAndKeepsIt)
{
    OnHost([&](HWND dialog) {
        CStaticLink link(nullptr, FALSE);
        Attach(link, MakeStatic(dialog, SS_LEFT, "http://quenbrook.example/from-text"), "");
        Click(link.m_hWnd);
        ::SetWindowTextA(link.m_hWnd, "http://quenbrook.example/changed");
        Click(link.m_hWnd);
        ASSERT_EQ(2u, seam.shellCalls.size());
        EXPECT_EQ("http://quenbrook.example/from-text", seam.shellCalls[0].file);
        EXPECT_EQ("http://quenbrook.example/from-text", seam.shellCalls[1].file);
        EXPECT_EQ("http://quenbrook.example/from-text", link.m_strLink);

        // Neither target nor text: clicks are ignored.
        CStaticLink empty;
        Attach(empty, MakeStatic(dialog, SS_LEFT, ""), "");
        Click(empty.m_hWnd);
        EXPECT_EQ(2u, seam.shellCalls.size());
        EXPECT_EQ(g_crLinkUnvisited, empty.m_crText);

        EXPECT_EQ("given", CStaticLink("given").m_strLink);
        EXPECT_TRUE(CStaticLink(nullptr).m_strLink.IsEmpty());
    });
}

TEST_F(StaticLinkTest, ClaimsTheMouseOverItsWholeRectangle)
{
    OnHost([&](HWND dialog) {
        HWND plain = MakeStatic(dialog, SS_LEFT, "plain");
        RECT r;
        ::GetWindowRect(plain, &r);
        const LPARAM inside = MAKELPARAM(r.left + 1, r.top + 1);
        ASSERT_EQ(HTTRANSPARENT, ::SendMessageA(plain, WM_NCHITTEST, 0, inside)) << "a static lets the mouse through";
        CStaticLink link;
        Attach(link, plain, TARGET);
        EXPECT_EQ(HTCLIENT, ::SendMessageA(plain, WM_NCHITTEST, 0, inside));
        EXPECT_EQ(HTCLIENT, ::SendMessageA(plain, WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, r.bottom - 1)));
    });
}

TEST_F(StaticLinkTest, LoadsTheHandCursorOnceForAllLabels)
{
    OnHost([&](HWND dialog) {
        g_hLinkCursor = nullptr;
        g_bLinkCursorTried = FALSE;
        CStaticLink first, second;
        Attach(first, MakeStatic(dialog, SS_LEFT, "first"), TARGET);
        Attach(second, MakeStatic(dialog, SS_RIGHT, "second"), TARGET);
        const LPARAM request = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

        EXPECT_EQ(TRUE, first.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(first.m_hWnd), request));
        EXPECT_TRUE(g_bLinkCursorTried);
        const HCURSOR hand = g_hLinkCursor;
        ASSERT_NE(nullptr, hand) << "the system's hand serves where the help program has none";
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(hand, &info));
        EXPECT_FALSE(info.fIcon) << "a cursor, not an icon";
        if (info.hbmMask)
            ::DeleteObject(info.hbmMask);
        if (info.hbmColor)
            ::DeleteObject(info.hbmColor);
        EXPECT_EQ(hand, ::GetCursor());

        // A stand-in for the kept cursor shows whether the second label loads its own: a
        // second load of the hand would give the same shared handle and prove nothing.
        const HCURSOR kept = ::LoadCursorA(nullptr, IDC_WAIT);
        g_hLinkCursor = kept;
        ::SetCursor(::LoadCursorA(nullptr, IDC_CROSS));
        EXPECT_EQ(TRUE, second.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(second.m_hWnd), request));
        EXPECT_EQ(kept, g_hLinkCursor) << "not loaded again";
        EXPECT_EQ(kept, ::GetCursor());
        g_hLinkCursor = hand;
    });
}

TEST_F(StaticLinkTest, AFailedCursorAttemptIsFinalAndLeavesThePointerAlone)
{
    OnHost([&](HWND dialog) {
        g_hLinkCursor = nullptr;
        g_bLinkCursorTried = TRUE;   // as after an attempt that found no hand
        CStaticLink first, second;
        Attach(first, MakeStatic(dialog, SS_LEFT, "first"), TARGET);
        Attach(second, MakeStatic(dialog, SS_LEFT, "second"), TARGET);
        const HCURSOR cross = ::LoadCursorA(nullptr, IDC_CROSS);
        for (CStaticLink* link : { &first, &second }) {
            ::SetCursor(cross);
            EXPECT_EQ(FALSE, link->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(link->m_hWnd),
                                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
            EXPECT_EQ(nullptr, g_hLinkCursor) << "not retried";
            // The default handling would have put the static's arrow there.
            EXPECT_EQ(cross, ::GetCursor());
        }
    });
}

// Tells when it is deleted.
class ProbeLink : public CStaticLink {
public:
    ProbeLink(BOOL deleteSelf, bool* deleted) : CStaticLink(nullptr, deleteSelf), m_deleted(deleted) {}
    ~ProbeLink() override { *m_deleted = true; }
private:
    bool* m_deleted;
};

TEST_F(StaticLinkTest, DeletesItselfWithItsWindowOnlyWhenToldTo)
{
    OnHost([&](HWND dialog) {
        bool ownedGone = false;
        ProbeLink* owned = new ProbeLink(TRUE, &ownedGone);
        Attach(*owned, MakeStatic(dialog, SS_LEFT, "owned"), TARGET);
        AskColours(dialog, owned->m_hWnd);   // so it has a font to give back too
        ::DestroyWindow(owned->m_hWnd);
        EXPECT_TRUE(ownedGone);

        bool keptGone = false;
        ProbeLink* kept = new ProbeLink(FALSE, &keptGone);
        Attach(*kept, MakeStatic(dialog, SS_LEFT, "kept"), TARGET);
        ::DestroyWindow(kept->m_hWnd);
        EXPECT_FALSE(keptGone);
        EXPECT_EQ(nullptr, kept->m_hWnd);
        delete kept;
        EXPECT_TRUE(keptGone);
    });
}

TEST_F(StaticLinkTest, TheMainWindowsLinkOpensTheHomePage)
{
    ScriptedMciPort port;
    ScopedMciPort portScope(&port);
    CRecorderDlg main;
    RunModal(main, [&](HWND dialog) {
        HWND control = ::GetDlgItem(dialog, IDC_HOMELINK);
        ASSERT_EQ(control, main.m_linkHome.m_hWnd);
        EXPECT_EQ(VORSEL_HOME_PAGE, TextOf(control));
        const Colours c = AskColours(dialog, control);
        EXPECT_EQ(Hollow(), c.brush);
        EXPECT_EQ(g_crLinkUnvisited, c.text);
        EXPECT_EQ(1, c.font.lfUnderline);

        Click(control);
        ASSERT_EQ(1u, seam.shellCalls.size());
        EXPECT_EQ(VORSEL_HOME_PAGE, seam.shellCalls[0].file);
        EXPECT_EQ(SW_SHOWNORMAL, seam.shellCalls[0].show);
        EXPECT_EQ(g_crLinkVisited, AskColours(dialog, control).text);
    });
}
}
