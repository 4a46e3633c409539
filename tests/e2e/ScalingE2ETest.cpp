// Vorsel.exe on a display scaled to 100 %, 150 % and 200 % (Wine's LogPixels), as the screen
// shows it: the toolbar's buttons show the pictures made for that scale, buttons and labels
// keep their proportions, and the status line grows with its text.
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
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                          nullptr);
        DWORD size = sizeof m_old;
        m_had = ::RegQueryValueExA(m_key, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&m_old), &size) == 0;
        ::RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~DisplayScale()
    {
        if (m_had)
            ::RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_old), sizeof m_old);
        else
            ::RegDeleteValueA(m_key, "LogPixels");
        ::RegCloseKey(m_key);
    }

private:
    HKEY m_key = nullptr;
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

// The box around the pixels of a colour within `area`; empty when there are none.
RECT BoundsOf(const Pixels& screen, const RECT& area, COLORREF colour)
{
    RECT found = { area.right, area.bottom, area.left - 1, area.top - 1 };
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (screen[y][x] == colour) {
                found.left = std::min<LONG>(found.left, x), found.right = std::max<LONG>(found.right, x + 1);
                found.top = std::min<LONG>(found.top, y), found.bottom = std::max<LONG>(found.bottom, y + 1);
            }
    return found;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left > outer.left && inner.top > outer.top && inner.right < outer.right &&
           inner.bottom < outer.bottom && inner.right > inner.left;
}

struct Measured {
    SIZE button;
    int labelHeight, statusHeight;
};
}

TEST(ScalingE2E, PicturesButtonsLabelsAndStatusLineFollowTheDisplayScale)
{
    const struct { DWORD dpi; UINT strip; } scales[] = {
        { 96, IDB_TOOLBAR_COLD }, { 144, IDB_TOOLBAR_36 }, { 192, IDB_TOOLBAR_48 } };
    Measured at96 = {};
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
        const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
        Measured now = {};
        for (int i = 0; i < BUTTONS; ++i) {
            SCOPED_TRACE("button " + std::to_string(i));
            const RECT button = vorsel.app.ToolbarItemRect(toolbar, i);
            now.button = { button.right - button.left, button.bottom - button.top };
            POINT picture;
            if (!ShowsPicture(bar, button, strip, i, picture)) {
                ADD_FAILURE() << "the button does not show its " << strip.size() << "-pixel picture";
                continue;
            }
            const RECT below = { button.left, picture.y + static_cast<LONG>(strip.size()), button.right, button.bottom };
            const RECT label = BoundsOf(bar, below, text);
            EXPECT_TRUE(Inside(label, button)) << "the label is cut by its button or missing";
            now.labelHeight = std::max<int>(now.labelHeight, label.bottom - label.top);
        }
        HWND status = ::GetDlgItem(vorsel.main, IDC_STATUSBAR);
        RECT line;
        ::GetClientRect(status, &line);
        const RECT words = BoundsOf(OnScreen(status), line, text);
        EXPECT_TRUE(Inside(words, line)) << "the status text is cut by its line";
        now.statusHeight = line.bottom;
        vorsel.Quit();

        if (scale.dpi == 96) {
            at96 = now;
            continue;
        }
        // In proportion, to a pixel or two of a font's rounding for each twelve.
        const auto expectScaled = [&](int measured, int base, const char* what) {
            const int expected = base * static_cast<int>(scale.dpi) / 96;
            EXPECT_LE(std::abs(measured - expected), 2 + expected / 12) << what << ": " << base << " at 96 DPI";
        };
        expectScaled(now.button.cx, at96.button.cx, "button width");
        expectScaled(now.button.cy, at96.button.cy, "button height");
        expectScaled(now.labelHeight, at96.labelHeight, "label height");
        expectScaled(now.statusHeight, at96.statusHeight, "status line height");
    }
}
