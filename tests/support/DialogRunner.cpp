#include "DialogRunner.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

namespace {
std::function<void(HWND)> g_body;
CDialog* g_running = nullptr;
bool g_ran = false;

void CALLBACK RunBody(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    HWND dialog = g_running ? g_running->m_hWnd : nullptr;
    auto body = g_body;
    g_body = nullptr;
    if (body && dialog) {
        g_ran = true;
        body(dialog);
    }
    // Posted, not ended here: a body that ended the dialog itself keeps its end code, since
    // the modal loop stops before this message comes up (and a gone window drops it).
    if (g_running && g_running->m_hWnd)
        ::PostMessageA(g_running->m_hWnd, WM_COMMAND, IDCANCEL, 0);
}
}

INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& body)
{
    g_body = body;
    g_running = &dialog;
    g_ran = false;
    // A thread timer is dispatched by the dialog's own modal loop.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &RunBody);
    const INT_PTR result = dialog.DoModal();
    g_running = nullptr;
    if (body && !g_ran) {
        // A dialog that ended before its loop ran would let every check in the body pass.
        ::KillTimer(nullptr, timer);
        g_body = nullptr;
        ADD_FAILURE() << "the dialog ended before the test's body could run (DoModal gave " << result << ")";
    }
    return result;
}

void PumpMessages(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start >= ms)
            return done();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

void ClickLabel(HWND label)
{
    ::SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
}

std::vector<std::vector<COLORREF>> Picture(HWND window, COLORREF ground)
{
    RECT r;
    ::GetClientRect(window, &r);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, r.right, r.bottom);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    HBRUSH brush = ::CreateSolidBrush(ground);
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
    ::SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    std::vector<std::vector<COLORREF>> rows(r.bottom, std::vector<COLORREF>(r.right));
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            rows[y][x] = ::GetPixel(dc, x, y);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return rows;
}

Pixels PixelsOf(HDC source, int x, int y, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(source);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::BitBlt(dc, 0, 0, width, height, source, x, y, SRCCOPY);
    Pixels rows(height, std::vector<COLORREF>(width));
    const DWORD* p = static_cast<const DWORD*>(bits);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i, ++p)
            rows[j][i] = RGB((*p >> 16) & 0xFF, (*p >> 8) & 0xFF, *p & 0xFF);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return rows;
}

Pixels ResourceBitmap(UINT id)
{
    HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    BITMAP size = {};
    ::GetObjectA(bitmap, sizeof size, &size);
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    const Pixels rows = PixelsOf(dc, 0, 0, size.bmWidth, size.bmHeight);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return rows;
}

bool ShowsPicture(const Pixels& shown, const RECT& box, const Pixels& strip, int index, POINT& at)
{
    const int size = static_cast<int>(strip.size());
    const LONG right = std::min<LONG>(box.right, shown.empty() ? 0 : LONG(shown[0].size()));
    const LONG bottom = std::min<LONG>(box.bottom, LONG(shown.size()));
    for (int y = box.top; y + size <= bottom; ++y)
        for (int x = box.left; x + size <= right; ++x) {
            bool all = true;
            for (int j = 0; j < size && all; ++j)
                for (int i = 0; i < size && all; ++i) {
                    const COLORREF c = strip[j][index * size + i];
                    all = c == RGB(255, 0, 255) || shown[y + j][x + i] == c;
                }
            if (all) {
                at = { x, y };
                return true;
            }
        }
    return false;
}

RECT RectIn(HWND parent, HWND child)
{
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string TextOf(HWND hWnd)
{
    const int length = ::GetWindowTextLengthA(hWnd);
    std::vector<char> buffer(length + 1);
    ::GetWindowTextA(hWnd, buffer.data(), length + 1);
    return buffer.data();
}

std::string ItemText(HWND dialog, int id)
{
    return TextOf(::GetDlgItem(dialog, id));
}

std::vector<std::string> CutLabels(HWND dialog)
{
    std::vector<std::string> cut;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        ::GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0 || (::GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) > SS_RIGHT)
            continue;   // icons, frames and drawn labels have no text to wrap
        const std::string text = TextOf(c);
        if (text.empty())
            continue;
        RECT client;
        ::GetClientRect(c, &client);
        HDC dc = ::GetDC(c);
        const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(c, WM_GETFONT, 0, 0)));
        RECT need = { 0, 0, client.right, 0 };
        ::DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        ::SelectObject(dc, old);
        ::ReleaseDC(c, dc);
        if (need.bottom > client.bottom || need.right > client.right)
            cut.push_back(text);
    }
    return cut;
}
