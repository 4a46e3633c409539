// Vorsel.exe on a display scaled to 100 %, 150 % and 200 % (Wine's LogPixels), as the screen
// shows it: each toolbar button shows the picture made for that scale with its label whole,
// and buttons and status line keep their proportions.
#include "DialogRunner.h"
#include "RecorderWindowDriver.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <cstdlib>

namespace {
const int BUTTONS = 6;
const int IDW_TOOLBAR = 0xE800;   // the main window's toolbar

// The display's scale for the programs started while this lives.
class DisplayScale {
public:
    explicit DisplayScale(DWORD dpi)
    {
        DWORD size = sizeof m_old;
        m_had = ::RegGetValueA(HKEY_CURRENT_USER, KEY, "LogPixels", RRF_RT_REG_DWORD, nullptr, &m_old, &size) == 0;
        ::RegSetKeyValueA(HKEY_CURRENT_USER, KEY, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~DisplayScale()
    {
        if (m_had)
            ::RegSetKeyValueA(HKEY_CURRENT_USER, KEY, "LogPixels", REG_DWORD, &m_old, sizeof m_old);
        else
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, KEY, "LogPixels");
    }

private:
    static constexpr const char* KEY = "Control Panel\\Desktop";
    DWORD m_old = 0;
    bool m_had = false;
};

// What the screen shows of a window's client area.
Pixels OnScreen(HWND window)
{
    RECT r;
    ::GetClientRect(window, &r);
    POINT origin = { 0, 0 };
    ::ClientToScreen(window, &origin);
    HDC screen = ::GetDC(nullptr);
    const Pixels rows = PixelsOf(screen, origin.x, origin.y, r.right, r.bottom);
    ::ReleaseDC(nullptr, screen);
    return rows;
}

// Whether text (the pixels of the text colour within `area`) is there and clear of the box's
// edges all round, i.e. not cut by it.
bool TextWholeInside(const Pixels& shown, const RECT& area, const RECT& box)
{
    RECT text = { area.right, area.bottom, area.left - 1, area.top - 1 };
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (shown[y][x] == ::GetSysColor(COLOR_BTNTEXT))
                text = { std::min<LONG>(text.left, x), std::min<LONG>(text.top, y), std::max<LONG>(text.right, x),
                         std::max<LONG>(text.bottom, y) };
    return text.right >= text.left && text.left > box.left && text.top > box.top && text.right < box.right - 1 &&
           text.bottom < box.bottom - 1;
}
}

TEST(ScalingE2E, PicturesButtonsLabelsAndStatusLineFollowTheDisplayScale)
{
    const struct { DWORD dpi; UINT strip; } scales[] = {
        { 96, IDB_TOOLBAR_COLD }, { 144, IDB_TOOLBAR_36 }, { 192, IDB_TOOLBAR_48 } };
    SIZE button96 = {};
    LONG status96 = 0;
    for (const auto& scale : scales) {
        SCOPED_TRACE(std::to_string(scale.dpi) + " DPI");
        RecorderWindowDriver vorsel;
        {
            DisplayScale display(scale.dpi);   // only until the program has started at it
            ASSERT_TRUE(vorsel.Start());
        }
        ::Sleep(500);   // painted
        HWND toolbar = ::GetDlgItem(vorsel.main, IDW_TOOLBAR);
        ASSERT_EQ(BUTTONS, ::SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
        const Pixels bar = OnScreen(toolbar);
        const Pixels strip = ResourceBitmap(scale.strip);
        RECT button = {};
        for (int i = 0; i < BUTTONS; ++i) {
            SCOPED_TRACE("button " + std::to_string(i));
            button = vorsel.app.ToolbarItemRect(toolbar, i);
            POINT picture;
            if (!ShowsPicture(bar, button, strip, i, picture)) {
                ADD_FAILURE() << "the button does not show its " << strip.size() << "-pixel picture";
                continue;
            }
            const RECT below = { button.left, picture.y + LONG(strip.size()), button.right, button.bottom };
            EXPECT_TRUE(TextWholeInside(bar, below, button)) << "the label is cut by its button or missing";
        }
        HWND status = ::GetDlgItem(vorsel.main, IDC_STATUSBAR);
        RECT line;
        ::GetClientRect(status, &line);
        EXPECT_TRUE(TextWholeInside(OnScreen(status), line, line)) << "the status text is cut by its line";
        vorsel.Quit();

        const SIZE size = { button.right - button.left, button.bottom - button.top };
        if (scale.dpi == 96) {
            button96 = size, status96 = line.bottom;
            continue;
        }
        // In proportion, to a pixel or two of a font's rounding for each twelve.
        const auto expectScaled = [&](LONG measured, LONG base, const char* what) {
            const LONG expected = base * LONG(scale.dpi) / 96;
            EXPECT_LE(std::abs(measured - expected), 2 + expected / 12) << what << ": " << base << " at 96 DPI";
        };
        expectScaled(size.cx, button96.cx, "button width");
        expectScaled(size.cy, button96.cy, "button height");
        expectScaled(line.bottom, status96, "status line height");
    }
}
