// The labelled toolbar: label splitting, the bar's loading and pooling, and the real main
// window's toolbar (buttons, labels, sizes, place, images, check buttons, double-clicks).
#include <gtest/gtest.h>
#include "CLabelToolBar.h"
#include "CRecorderDlg.h"
#include "DialogRunner.h"
#include "RecordingUiSeam.h"
#include "ScriptedMciPort.h"
#include "resource.h"
#include <algorithm>
#include <functional>
#include <set>
#include <vector>

namespace {
const UINT COMMANDS[] = { ID_SAVE, ID_RECORD, ID_STOP, ID_PLAY, ID_PAUSE, ID_ABOUT };
const char* const LABELS[] = { "Save File", "Record", "Stop", "Play", "Pause", "Help" };
const int BUTTONS = 6;

SIZE SizeOf(const RECT& r)
{
    return { r.right - r.left, r.bottom - r.top };
}

RECT ItemRect(HWND toolbar, int index)
{
    RECT r = {};
    ::SendMessageA(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
}

TBBUTTON ButtonAt(HWND toolbar, int index)
{
    TBBUTTON b = {};
    ::SendMessageA(toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&b));
    return b;
}

std::string ButtonText(HWND toolbar, UINT command)
{
    char text[128] = "";
    const LRESULT length = ::SendMessageA(toolbar, TB_GETBUTTONTEXTA, command, reinterpret_cast<LPARAM>(text));
    return length > 0 ? std::string(text, length) : std::string();
}

bool IsChecked(HWND toolbar, UINT command)
{
    return ::SendMessageA(toolbar, TB_ISBUTTONCHECKED, command, 0) != 0;
}

// A press and release in the middle of the button, as the user clicks it.
void Click(HWND toolbar, int index)
{
    const RECT r = ItemRect(toolbar, index);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageA(toolbar, WM_MOUSEMOVE, 0, at);
    ::SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(toolbar, WM_LBUTTONUP, 0, at);
}

// How wide a text is drawn in a font: its pixels from the first to the last column.
int DrawnWidth(HFONT font, const char* text)
{
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 400, 100);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    const HGDIOBJ oldFont = ::SelectObject(dc, font);
    const RECT all = { 0, 0, 400, 100 };
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::TextOutA(dc, 10, 10, text, lstrlenA(text));
    const Pixels drawn = PixelsOf(dc, 0, 0, 400, 100);
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    int left = 400, right = -1;
    for (const auto& row : drawn)
        for (int x = 0; x < 400; ++x)
            if (row[x] != RGB(255, 255, 255))
                left = std::min(left, x), right = std::max(right, x);
    return right - left + 1;
}

// All buttons of the same size, each showing its picture of the strip with its label whole
// below it, in the bar's font.
void ExpectEqualButtonsWithWholeLabels(HWND toolbar, UINT stripId)
{
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageA(toolbar, WM_GETFONT, 0, 0));
    const COLORREF white = RGB(255, 255, 255);
    const Pixels picture = Picture(toolbar, white);
    const Pixels strip = ResourceBitmap(stripId);
    const SIZE first = SizeOf(ItemRect(toolbar, 0));
    for (int i = 0; i < BUTTONS; ++i) {
        SCOPED_TRACE(LABELS[i]);
        const RECT r = ItemRect(toolbar, i);
        EXPECT_EQ(first.cx, SizeOf(r).cx);
        EXPECT_EQ(first.cy, SizeOf(r).cy);
        POINT image;
        if (!ShowsPicture(picture, r, strip, i, image)) {
            ADD_FAILURE() << "the button does not show its " << strip.size() << "-pixel picture whole";
            continue;
        }
        // The label is what is drawn below the picture (smoothed text has more than one colour).
        int left = r.right, right = -1, bottom = -1;
        for (int y = image.y + static_cast<int>(strip.size()); y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (picture[y][x] != white)
                    left = std::min(left, x), right = std::max(right, x), bottom = y;
        EXPECT_NEAR(DrawnWidth(font, LABELS[i]), right - left + 1, 1) << "the whole width of the label under the image";
        EXPECT_LT(bottom, r.bottom - 1) << "the label is not cut off at the bottom";
    }
}

// A plain top-level window for bars tested on their own.
class ParentWindow : public CWnd {
public:
    ParentWindow()
    {
        Attach(::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr));
    }
};

// A flat bar along the parent's top, for the loading and labelling tests.
bool CreateBar(CToolBar& bar, ParentWindow& parent)
{
    return bar.CreateEx(&parent, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, RECT{}, IDW_TOOLBAR) != FALSE;
}

// Notes and cancels every box that comes up over the main window, also inside a modal call.
HWND g_main = nullptr;
std::vector<std::string> g_boxesSeen;
BOOL CALLBACK CancelIfBox(HWND window, LPARAM)
{
    if (window != g_main && ::IsWindowVisible(window)) {
        g_boxesSeen.push_back(TextOf(window));
        ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

void CALLBACK CancelBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), &CancelIfBox, 0);
}

// Exposes the notification handling of the labelled bar; its table stands for the standard handling.
class ProbeBar : public CLabelToolBar {
public:
    BOOL Notify(UINT code, LRESULT* result)
    {
        NMHDR header = { m_hWnd, 7, code };
        return OnNotify(7, reinterpret_cast<LPARAM>(&header), result);
    }
    int handled = 0;
    void OnAny(NMHDR*, LRESULT* result)
    {
        ++handled;
        *result = 5;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeBar, CLabelToolBar)
    ON_NOTIFY(TBN_DROPDOWN, 7, OnAny)
    ON_NOTIFY(NM_CLICK, 7, OnAny)
END_MESSAGE_MAP()
}

TEST(ToolbarLabel, IsTheLastNonEmptyPieceBetweenLineFeeds)
{
    const struct { const char* text; const char* label; } cases[] = {
        { "Save Recording\nSave File", "Save File" }, { "Help\nHelp", "Help" },
        { "Record\n", "Record" }, { "\nStop", "Stop" }, { "Play Recording\n\nPlay", "Play" },
        { "Prompt\nShort\n\n", "Short" }, { "a\nb\nc", "c" },
        { "Pause Playing", "Pause Playing" },   // no line feed: used whole
        { " x \n y ", " y " },                  // spaces belong to the label
        { "", "" }, { "\n", "" }, { "\n\n\n", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.label, CLabelToolBar::LabelOf(c.text)) << "from \"" << c.text << "\"";
}

TEST(ToolBar, LoadsOnePushButtonPerLayoutEntry)
{
    ParentWindow parent;
    CToolBar bar;
    ASSERT_TRUE(CreateBar(bar, parent));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TOOLBAR));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TOOLBAR)) << "a second load replaces the buttons";
    ASSERT_EQ(bar.GetCount(), BUTTONS);
    for (int i = 0; i < BUTTONS; ++i) {
        const TBBUTTON b = ButtonAt(bar.m_hWnd, i);
        EXPECT_EQ(b.idCommand, static_cast<int>(COMMANDS[i])) << i;
        EXPECT_EQ(b.fsStyle, TBSTYLE_BUTTON) << i;
        EXPECT_TRUE(b.fsState & TBSTATE_ENABLED) << i;
        EXPECT_EQ(ButtonText(bar.m_hWnd, COMMANDS[i]), "") << "plain loading adds no text";
    }
    // The strip of the layout's id is blank grey: each button shows a whole square of it.
    ::MoveWindow(bar.m_hWnd, 0, 0, 300, 40, FALSE);
    const auto picture = Picture(bar.m_hWnd, RGB(255, 255, 255));
    for (int i = 0; i < BUTTONS; ++i) {
        const RECT r = ItemRect(bar.m_hWnd, i);
        int grey = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                grey += picture[y][x] == RGB(192, 192, 192);
        EXPECT_EQ(24 * 24, grey) << "button " << i;
    }
}

TEST(ToolBar, MissingLayoutFailsTheLoadAndLabelsNothing)
{
    ParentWindow parent;
    CLabelToolBar bar;
    ASSERT_TRUE(CreateBar(bar, parent));
    EXPECT_FALSE(bar.LoadLabeledToolBar(999));
    EXPECT_FALSE(bar.LoadLabeledToolBar(IDB_TOOLBAR_COLD)) << "a bitmap without a layout";
    EXPECT_EQ(bar.GetCount(), 0);
}

TEST(ToolBar, SameTextIsPooledOnceAndSharedByItsButtons)
{
    ParentWindow parent;
    CToolBar bar;
    ASSERT_TRUE(CreateBar(bar, parent));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TOOLBAR));
    ASSERT_TRUE(bar.SetButtonText(0, "Same"));
    ASSERT_TRUE(bar.SetButtonText(1, "Other"));
    ASSERT_TRUE(bar.SetButtonText(3, "Same"));
    EXPECT_EQ(ButtonAt(bar.m_hWnd, 0).iString, ButtonAt(bar.m_hWnd, 3).iString);
    EXPECT_NE(ButtonAt(bar.m_hWnd, 0).iString, ButtonAt(bar.m_hWnd, 1).iString);
    EXPECT_EQ(ButtonText(bar.m_hWnd, ID_PLAY), "Same");
    EXPECT_EQ(ButtonText(bar.m_hWnd, ID_RECORD), "Other");
    EXPECT_EQ(ButtonAt(bar.m_hWnd, 3).idCommand, static_cast<int>(ID_PLAY)) << "the button stays in place";
}

TEST(LabelToolBar, DropDownIsRefusedWithoutStandardHandlingOthersGoThroughIt)
{
    ParentWindow parent;
    ProbeBar bar;
    ASSERT_TRUE(CreateBar(bar, parent));
    LRESULT result = 0;
    EXPECT_FALSE(bar.Notify(TBN_DROPDOWN, &result));
    EXPECT_EQ(bar.handled, 0);
    EXPECT_TRUE(bar.Notify(NM_CLICK, &result));
    EXPECT_EQ(bar.handled, 1);
    EXPECT_EQ(result, 5);
}

class ToolbarDialogTest : public ::testing::Test {
protected:
    ScriptedMciPort port;
    ScopedMciPort scopedPort{ &port };
    RecordingUiSeam seam;
    ScopedUiSeam scopedSeam{ &seam };
    CRecorderDlg dlg;

    void Run(const std::function<void(HWND dialog, HWND toolbar)>& body)
    {
        RunModal(dlg, [&](HWND dialog) {
            ASSERT_TRUE(::IsWindow(dlg.m_wndToolBar.m_hWnd));
            body(dialog, dlg.m_wndToolBar.m_hWnd);
        });
    }
};

TEST_F(ToolbarDialogTest, SixButtonsCarryTheCommandsShortNamesAndCheckStyles)
{
    Run([&](HWND, HWND toolbar) {
        ASSERT_EQ(::SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), BUTTONS);
        for (int i = 0; i < BUTTONS; ++i) {
            const TBBUTTON b = ButtonAt(toolbar, i);
            EXPECT_EQ(b.idCommand, static_cast<int>(COMMANDS[i])) << i;
            EXPECT_EQ(ButtonText(toolbar, COMMANDS[i]), LABELS[i]) << i;
            const bool check = (b.fsStyle & TBSTYLE_CHECK) == TBSTYLE_CHECK;
            EXPECT_EQ(check, i == 1 || i == 4) << "only Record and Pause are check buttons: " << i;
            EXPECT_FALSE(b.fsStyle & TBSTYLE_SEP) << i;
            EXPECT_TRUE(b.fsState & TBSTATE_ENABLED) << i;
            EXPECT_FALSE(b.fsState & TBSTATE_CHECKED) << i;
        }
    });
}

TEST_F(ToolbarDialogTest, EqualButtonsShowEachLabelWholeUnderItsImageAcrossTheTopOfTheWindow)
{
    Run([&](HWND dialog, HWND toolbar) {
        EXPECT_TRUE(::IsWindowVisible(toolbar));
        RECT client;
        ::GetClientRect(dialog, &client);
        const RECT bar = RectIn(dialog, toolbar);
        EXPECT_EQ(bar.left, 0);
        EXPECT_EQ(bar.top, 0);
        EXPECT_EQ(bar.right, client.right);
        EXPECT_EQ(bar.bottom - bar.top, SizeOf(ItemRect(toolbar, 0)).cy) << "as tall as its buttons";
        EXPECT_EQ(client.bottom, RectIn(dialog, ::GetDlgItem(dialog, IDC_STATUSBAR)).bottom)
            << "the status line stays at the bottom";
        ExpectEqualButtonsWithWholeLabels(toolbar, IDB_TOOLBAR_COLD);
    });
}

TEST_F(ToolbarDialogTest, MovedToAnotherScaleTheWindowTakesItsPlaceAndSizesWhatItSetsInPixelsAnew)
{
    Run([&](HWND dialog, HWND toolbar) {
        HWND status = ::GetDlgItem(dialog, IDC_STATUSBAR);
        const SIZE button96 = SizeOf(ItemRect(toolbar, 0));
        const int status96 = SizeOf(RectIn(dialog, status)).cy;
        RECT start;
        ::GetWindowRect(dialog, &start);
        // To a monitor at 150 %, then 200 %, then back to 100 %.
        const struct { UINT dpi; int picture; UINT strip; int smallIcon; } moves[] = {
            { 144, 36, IDB_TOOLBAR_36, 24 }, { 192, 48, IDB_TOOLBAR_48, 32 }, { 96, 24, IDB_TOOLBAR_COLD, 16 } };
        for (const auto& move : moves) {
            SCOPED_TRACE(std::to_string(move.dpi) + " DPI");
            const SIZE size = { SizeOf(start).cx * LONG(move.dpi) / 96, SizeOf(start).cy * LONG(move.dpi) / 96 };
            RECT suggested = { start.left + 8, start.top + 16, start.left + 8 + size.cx, start.top + 16 + size.cy };
            ::SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(move.dpi, move.dpi), reinterpret_cast<LPARAM>(&suggested));
            RECT now;
            ::GetWindowRect(dialog, &now);
            EXPECT_TRUE(::EqualRect(&suggested, &now)) << "the window takes the suggested place and size";

            int hot = 0, unused = 0;   // the normal pictures are checked below, as shown
            ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(::SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0)), &hot, &unused);
            EXPECT_EQ(move.picture, hot) << "the pictures under the pointer";
            // In proportion, to a pixel or two of a font's rounding; back at 96 exactly as it began.
            const SIZE button = SizeOf(ItemRect(toolbar, 0));
            const LONG tolerance = move.dpi == 96 ? 0 : 2 + button96.cy * LONG(move.dpi) / 96 / 12;
            EXPECT_NEAR(button96.cx * LONG(move.dpi) / 96, button.cx, tolerance);
            EXPECT_NEAR(button96.cy * LONG(move.dpi) / 96, button.cy, tolerance);
            ExpectEqualButtonsWithWholeLabels(toolbar, move.strip);
            RECT client;
            ::GetClientRect(dialog, &client);
            EXPECT_EQ(client.right, SizeOf(RectIn(dialog, toolbar)).cx) << "the toolbar spans the window";
            const RECT line = RectIn(dialog, status);
            EXPECT_NEAR(status96 * LONG(move.dpi) / 96, SizeOf(line).cy, tolerance) << "the status line's height";
            EXPECT_EQ(client.bottom, line.bottom) << "the status line along the bottom";
            EXPECT_EQ(client.right, line.right);

            ICONINFO icon = {};
            BITMAP mask = {};
            ::GetIconInfo(reinterpret_cast<HICON>(::SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)), &icon);
            ::GetObjectA(icon.hbmMask, sizeof mask, &mask);
            EXPECT_EQ(move.smallIcon, mask.bmWidth) << "the small icon";
            ::DeleteObject(icon.hbmMask), ::DeleteObject(icon.hbmColor);
        }
    });
}

TEST_F(ToolbarDialogTest, ButtonsShowTheirColourImagesWithTheMagentaAroundThemTransparent)
{
    Run([&](HWND, HWND toolbar) {
        const auto picture = Picture(toolbar, RGB(255, 255, 255));   // over white
        const COLORREF white = RGB(255, 255, 255), text = ::GetSysColor(COLOR_BTNTEXT);
        std::set<std::vector<COLORREF>> images;   // what has colour, as placed in its button
        for (int i = 0; i < BUTTONS; ++i) {
            SCOPED_TRACE(LABELS[i]);
            const RECT r = ItemRect(toolbar, i);
            int coloured = 0, magenta = 0, grey = 0;
            std::vector<COLORREF> image;
            for (int y = r.top; y < r.bottom; ++y) {
                for (int x = r.left; x < r.right; ++x) {
                    const COLORREF c = picture[y][x];
                    image.push_back(c != text ? c : white);
                    coloured += c != white && c != text;
                    magenta += c == RGB(255, 0, 255);
                    grey += c == RGB(192, 192, 192);
                }
            }
            EXPECT_GT(coloured, 24 * 24 / 10) << "a picture";
            EXPECT_LT(coloured, 24 * 24 * 9 / 10) << "not a whole square: its ground lets the bar's through";
            EXPECT_EQ(magenta, 0);
            EXPECT_LT(grey, 24 * 24 / 2) << "not the blank strip that only starts the control";
            images.insert(image);
        }
        EXPECT_EQ(static_cast<size_t>(BUTTONS), images.size()) << "each button shows a picture of its own";
        // The images a button shows under the mouse.
        HIMAGELIST hot = reinterpret_cast<HIMAGELIST>(::SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0));
        EXPECT_EQ(BUTTONS, ImageList_GetImageCount(hot));
    });
}

TEST_F(ToolbarDialogTest, ClickedRecordStaysPressedUntilStopOrPause)
{
    Run([&](HWND, HWND toolbar) {
        Click(toolbar, 1);
        EXPECT_EQ(port.Count(MCI_RECORD), 1u) << "the click reached the Record command";
        EXPECT_TRUE(IsChecked(toolbar, ID_RECORD));
        Click(toolbar, 2);
        EXPECT_EQ(port.Count(MCI_STOP), 1u) << "the click reached the Stop command";
        EXPECT_FALSE(IsChecked(toolbar, ID_RECORD));
        EXPECT_FALSE(IsChecked(toolbar, ID_STOP)) << "a push button does not stay pressed";

        Click(toolbar, 1);
        ASSERT_TRUE(IsChecked(toolbar, ID_RECORD));
        Click(toolbar, 4);
        EXPECT_FALSE(IsChecked(toolbar, ID_RECORD)) << "Pause releases Record";
        EXPECT_TRUE(IsChecked(toolbar, ID_PAUSE));
        Click(toolbar, 2);
    });
}

TEST_F(ToolbarDialogTest, ClickedPauseStaysPressedUntilClickedAgainOrPlay)
{
    Run([&](HWND, HWND toolbar) {
        Click(toolbar, 4);
        EXPECT_TRUE(IsChecked(toolbar, ID_PAUSE));
        Click(toolbar, 4);
        EXPECT_FALSE(IsChecked(toolbar, ID_PAUSE)) << "a second click releases it";
        Click(toolbar, 4);
        ASSERT_TRUE(IsChecked(toolbar, ID_PAUSE));
        Click(toolbar, 3);
        EXPECT_FALSE(IsChecked(toolbar, ID_PAUSE));
        EXPECT_FALSE(IsChecked(toolbar, ID_PLAY));
    });
}

TEST_F(ToolbarDialogTest, DoubleClickingTheBarOpensNoBoxAndKeepsItsButtons)
{
    Run([&](HWND dialog, HWND toolbar) {
        // Beside the buttons: a bar that took the window's layout bits for styles of its own
        // would offer here, in a box of its own, to rearrange its buttons.
        const RECT last = ItemRect(toolbar, BUTTONS - 1);
        RECT bar;
        ::GetClientRect(toolbar, &bar);
        ASSERT_LT(last.right + 20, bar.right);
        const LPARAM beside = MAKELPARAM(last.right + 20, (last.top + last.bottom) / 2);
        g_main = dialog;
        g_boxesSeen.clear();
        const UINT_PTR watch = ::SetTimer(nullptr, 0, 50, &CancelBoxes);
        ::SendMessageA(toolbar, WM_LBUTTONDBLCLK, MK_LBUTTON, beside);
        ::SendMessageA(toolbar, WM_LBUTTONUP, 0, beside);
        PumpMessages(200);
        ::KillTimer(nullptr, watch);
        EXPECT_EQ(std::vector<std::string>{}, g_boxesSeen);
        ASSERT_EQ(::SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), BUTTONS);
        for (int i = 0; i < BUTTONS; ++i)
            EXPECT_EQ(ButtonAt(toolbar, i).idCommand, static_cast<int>(COMMANDS[i])) << i;
    });
}
