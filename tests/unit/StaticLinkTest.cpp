// The hyperlink label on real static controls of a real dialog: how it shows (painted into a
// bitmap), what a click opens and how it changes the colour, the hand cursor, the hit test.
#include <gtest/gtest.h>
#include "CStaticLink.h"
#include "CRecorderDlg.h"
#include "DialogRunner.h"
#include "RecordingUiSeam.h"
#include "ScriptedMciPort.h"
#include "resource.h"
#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace {
const int FIRST_TEST_ID = 2000;
const char TARGET[] = "http://quenbrook.example/link-test";
const COLORREF BLUE = RGB(0, 0, 255);
const COLORREF PURPLE = RGB(128, 0, 128);
// A colour no dialog paints with: where it still shows, the control left its background alone.
const COLORREF GROUND = RGB(0, 160, 80);

// What a control shows when it paints itself over the ground.
struct Shown {
    bool hollow;      // the ground shows through beside the text
    COLORREF ink;     // the commonest colour other than the background
    int inkWidth;     // from the first to the last column with ink
    int longestRun;   // the longest unbroken run of ink along one row
    bool Underlined() const { return inkWidth > 0 && longestRun >= inkWidth - 1; }
};

Shown Paint(HWND control)
{
    const std::vector<std::vector<COLORREF>> rows = Picture(control, GROUND);
    if (rows.empty() || rows[0].empty())
        return Shown{ false, GROUND, 0, 0 };
    // The bottom left corner is clear of any text in these controls.
    const COLORREF background = rows.back()[0];
    Shown shown = { background == GROUND, background, 0, 0 };
    std::map<COLORREF, int> counts;
    int first = static_cast<int>(rows[0].size()), last = -1, most = 0;
    for (const std::vector<COLORREF>& row : rows) {
        int run = 0;
        for (int x = 0; x < static_cast<int>(row.size()); ++x) {
            run = row[x] == background ? 0 : run + 1;
            if (run == 0)
                continue;
            if (++counts[row[x]] > most)
                most = counts[row[x]], shown.ink = row[x];
            first = std::min(first, x);
            last = std::max(last, x);
            shown.longestRun = std::max(shown.longestRun, run);
        }
    }
    shown.inkWidth = last - first + 1;
    return shown;
}

// How wide text is in a font.
int WidthIn(HFONT font, const char* text)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return size.cx;
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

    // A static on the dialog, with the dialog's font unless withFont is false; tall enough
    // that its bottom row stays clear of the text.
    HWND MakeStatic(HWND dialog, DWORD style, const char* text, bool withFont = true)
    {
        HWND control = ::CreateWindowA("STATIC", text, WS_CHILD | WS_VISIBLE | style, 5, 50, 150, 30, dialog,
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

    // target null: the label keeps the one it was made with.
    void Attach(CStaticLink& link, HWND control, const char* target = TARGET)
    {
        ASSERT_TRUE(link.SubclassDlgItem(static_cast<UINT>(::GetDlgCtrlID(control)), &host));
        if (target)
            link.m_strLink = target;
    }
};

TEST_F(StaticLinkTest, ShowsPlainTextUnderlinedInBlueOverTheDialogInTheControlsOwnFont)
{
    OnHost([&](HWND dialog) {
        const HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
        const HFONT system = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
        // Bits outside the low byte (SS_CENTERIMAGE) do not make a static any less plain; a
        // static without a font of its own draws in the system font, and still as a link.
        const struct { DWORD style; bool withFont; } cases[] = {
            { SS_LEFT, true }, { SS_CENTER, true }, { SS_RIGHT, true }, { SS_LEFT | SS_CENTERIMAGE, true },
            { SS_LEFT, false },
        };
        const char text[] = "link text";
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "style " << c.style << (c.withFont ? "" : ", no font"));
            CStaticLink link;
            Attach(link, MakeStatic(dialog, c.style, text, c.withFont));
            const Shown shown = Paint(link.m_hWnd);
            EXPECT_TRUE(shown.hollow);
            EXPECT_EQ(BLUE, shown.ink);
            EXPECT_TRUE(shown.Underlined()) << shown.longestRun << " of " << shown.inkWidth;
            EXPECT_NEAR(WidthIn(c.withFont ? dialogFont : system, text), shown.longestRun, 1)
                << "underlined as wide as the text in the font it would have without the link";
        }
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
        HWND text = MakeStatic(dialog, SS_LEFT | SS_NOPREFIX, "a & b");
        for (HWND control : { text, icon }) {
            SCOPED_TRACE(control == icon ? "icon" : "text");
            CStaticLink link;
            Attach(link, control);
            const Shown before = Paint(control);
            EXPECT_FALSE(before.hollow) << "the dialog's background is painted behind it";
            if (control == text) {
                EXPECT_NE(BLUE, before.ink);
                EXPECT_FALSE(before.Underlined());
            }

            seam.shellCalls.clear();
            ClickLabel(control);
            ASSERT_EQ(1u, seam.shellCalls.size());
            EXPECT_EQ(TARGET, seam.shellCalls[0].file);
            EXPECT_EQ(before.ink, Paint(control).ink) << "not purple after the visit either";

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
        Attach(link, MakeStatic(dialog, SS_LEFT, "shown text"));

        // 32 is still an error code: a beep, and nothing changes.
        seam.shellResult = reinterpret_cast<HINSTANCE>(32);
        ::ValidateRect(link.m_hWnd, nullptr);
        ClickLabel(link.m_hWnd);
        ASSERT_EQ(1u, seam.shellCalls.size());
        const ShellCall& call = seam.shellCalls[0];
        EXPECT_EQ(nullptr, call.owner);
        EXPECT_EQ("open", call.verb);
        EXPECT_EQ(TARGET, call.file) << "the target, not the shown text";
        EXPECT_EQ("(null)", call.parameters);
        EXPECT_EQ("(null)", call.directory);
        EXPECT_EQ(SW_SHOWNORMAL, call.show);
        EXPECT_EQ(BLUE, Paint(link.m_hWnd).ink);
        EXPECT_FALSE(NeedsRepaint(link.m_hWnd));
        EXPECT_TRUE(seam.boxes.empty()) << "a refused open is not reported in a box";

        seam.shellResult = reinterpret_cast<HINSTANCE>(33);
        ClickLabel(link.m_hWnd);
        EXPECT_EQ(2u, seam.shellCalls.size());
        EXPECT_TRUE(NeedsRepaint(link.m_hWnd)) << "redrawn in purple";
        const Shown visited = Paint(link.m_hWnd);
        EXPECT_EQ(PURPLE, visited.ink);
        EXPECT_TRUE(visited.Underlined());

        // Each click opens again; nothing turns the link back.
        seam.shellResult = reinterpret_cast<HINSTANCE>(2);
        ClickLabel(link.m_hWnd);
        seam.shellResult = reinterpret_cast<HINSTANCE>(42);
        ClickLabel(link.m_hWnd);
        EXPECT_EQ(4u, seam.shellCalls.size());
        EXPECT_EQ(PURPLE, Paint(link.m_hWnd).ink);
    });
}

TEST_F(StaticLinkTest, OpensTheTargetItWasMadeWithElseItsTextAsFirstClicked)
{
    OnHost([&](HWND dialog) {
        CStaticLink given("http://quenbrook.example/given");
        Attach(given, MakeStatic(dialog, SS_LEFT, "shown"), nullptr);
        ClickLabel(given.m_hWnd);

        CStaticLink link;
        Attach(link, MakeStatic(dialog, SS_LEFT, "http://quenbrook.example/from-text"), nullptr);
        ClickLabel(link.m_hWnd);
        ::SetWindowTextA(link.m_hWnd, "http://quenbrook.example/changed");
        ClickLabel(link.m_hWnd);

        // Neither target nor text: clicks are ignored.
        CStaticLink empty;
        Attach(empty, MakeStatic(dialog, SS_LEFT, ""), nullptr);
        ClickLabel(empty.m_hWnd);

        std::vector<std::string> opened;
        for (const ShellCall& call : seam.shellCalls)
            opened.push_back(call.file);
        const std::vector<std::string> expected = { "http://quenbrook.example/given",
                                                    "http://quenbrook.example/from-text",
                                                    "http://quenbrook.example/from-text" };
        EXPECT_EQ(expected, opened);
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
        Attach(link, plain);
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
        Attach(first, MakeStatic(dialog, SS_LEFT, "first"));
        Attach(second, MakeStatic(dialog, SS_RIGHT, "second"));
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
        Attach(first, MakeStatic(dialog, SS_LEFT, "first"));
        Attach(second, MakeStatic(dialog, SS_LEFT, "second"));
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
        Attach(*owned, MakeStatic(dialog, SS_LEFT, "owned"));
        Paint(owned->m_hWnd);   // so it has a font to give back too
        ::DestroyWindow(owned->m_hWnd);
        EXPECT_TRUE(ownedGone);

        bool keptGone = false;
        ProbeLink* kept = new ProbeLink(FALSE, &keptGone);
        Attach(*kept, MakeStatic(dialog, SS_LEFT, "kept"));
        ::DestroyWindow(kept->m_hWnd);
        EXPECT_FALSE(keptGone);
        EXPECT_EQ(nullptr, kept->m_hWnd);
        delete kept;
        EXPECT_TRUE(keptGone);
    });
}

TEST_F(StaticLinkTest, TheMainWindowsLinkShowsAndOpensTheHomePage)
{
    ScriptedMciPort port;
    ScopedMciPort portScope(&port);
    CRecorderDlg main;
    RunModal(main, [&](HWND dialog) {
        HWND control = ::GetDlgItem(dialog, IDC_HOMELINK);
        EXPECT_EQ("http://quenbrook.example", TextOf(control));
        const Shown shown = Paint(control);
        EXPECT_TRUE(shown.hollow);
        EXPECT_EQ(BLUE, shown.ink);
        EXPECT_TRUE(shown.Underlined());

        ClickLabel(control);
        ASSERT_EQ(1u, seam.shellCalls.size());
        EXPECT_EQ("http://quenbrook.example", seam.shellCalls[0].file);
        EXPECT_EQ(SW_SHOWNORMAL, seam.shellCalls[0].show);
        EXPECT_EQ(PURPLE, Paint(control).ink);
    });
}
}
