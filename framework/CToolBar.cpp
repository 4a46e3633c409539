#include "CToolBar.h"
#include "CWinApp.h"
#include <vector>

namespace {
// Toolbar layouts are a resource type of their own: 16-bit words, version 1, image width,
// image height, entry count, then one command id per entry (0 stands for a separator).
const LPCSTR RT_TOOLBAR_LAYOUT = MAKEINTRESOURCEA(241);
const WORD LAYOUT_VERSION = 1;
const int LAYOUT_HEADER_WORDS = 4;
}

BEGIN_MESSAGE_MAP(CToolBar, CWnd)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
END_MESSAGE_MAP()

CToolBar::~CToolBar()
{
    // The control draws from this bitmap's copy; the window goes first all the same.
    if (m_hWnd) {
        HWND hWnd = Detach();
        if (::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
    }
    if (m_hbmImageWell)
        ::DeleteObject(m_hbmImageWell);
}

BOOL CToolBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, const RECT& borders, UINT id)
{
    if (!parent || !parent->m_hWnd || m_hWnd)
        return FALSE;
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_BAR_CLASSES };
    ::InitCommonControlsEx(&icc);

    m_dwStyle = style & CBRS_ALL;
    // The standard toolbar is the one an embedding host would hide in place.
    if (id == IDW_TOOLBAR)
        m_dwStyle |= CBRS_HIDE_INPLACE;
    m_rcBorders = borders;

    // Its place comes later, from the parent's bar layout.
    HWND hWnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, (style & ~CBRS_ALL) | ctrlStyle, 0, 0, 0, 0,
                                  parent->m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  AfxGetInstanceHandle(), nullptr);
    if (!hWnd)
        return FALSE;
    ::SendMessageA(hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT id)
{
    HINSTANCE instance = AfxGetInstanceHandle();
    HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(id), RT_TOOLBAR_LAYOUT);
    if (!found)
        return FALSE;
    const DWORD bytes = ::SizeofResource(instance, found);
    const WORD* layout = static_cast<const WORD*>(::LockResource(::LoadResource(instance, found)));
    if (!layout || bytes < LAYOUT_HEADER_WORDS * sizeof(WORD) || layout[0] != LAYOUT_VERSION)
        return FALSE;
    // A layout that claims more entries than it holds is refused, not read past its end.
    const int count = layout[3];
    if (bytes < (LAYOUT_HEADER_WORDS + count) * sizeof(WORD))
        return FALSE;
    if (!SetButtons(layout + LAYOUT_HEADER_WORDS, count))
        return FALSE;

    const SIZE image = { layout[1], layout[2] };
    const SIZE button = { image.cx + 7, image.cy + 7 };
    SetSizes(button, image);

    HBITMAP bitmap = ::LoadBitmapA(instance, MAKEINTRESOURCEA(id));
    return bitmap ? AddReplaceBitmap(bitmap) : FALSE;
}

BOOL CToolBar::SetButtons(const WORD* ids, int count)
{
    for (int i = GetCount() - 1; i >= 0; --i)
        SendMessage(TB_DELETEBUTTON, i);
    if (count == 0)
        return TRUE;

    const int separatorWidth = (GetStyle() & TBSTYLE_FLAT) ? 6 : 8;
    std::vector<TBBUTTON> buttons(count);
    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON& b = buttons[i];
        b = TBBUTTON();
        b.iString = -1;   // no text
        if (ids[i] == 0) {
            b.fsStyle = TBSTYLE_SEP;
            b.iBitmap = separatorWidth;
        } else {
            b.idCommand = ids[i];
            b.fsStyle = TBSTYLE_BUTTON;
            b.fsState = TBSTATE_ENABLED;
            b.iBitmap = image++;
        }
    }
    return static_cast<BOOL>(SendMessage(TB_ADDBUTTONSA, count, reinterpret_cast<LPARAM>(buttons.data())));
}

BOOL CToolBar::AddReplaceBitmap(HBITMAP bitmap)
{
    BITMAP info;
    const int imageCount = (::GetObjectA(bitmap, sizeof info, &info) && m_sizeImage.cx > 0)
                               ? info.bmWidth / m_sizeImage.cx : 0;
    BOOL added;
    if (m_hbmImageWell) {
        TBREPLACEBITMAP replace = { nullptr, reinterpret_cast<UINT_PTR>(m_hbmImageWell), nullptr,
                                    reinterpret_cast<UINT_PTR>(bitmap), imageCount };
        added = SendMessage(TB_REPLACEBITMAP, 0, reinterpret_cast<LPARAM>(&replace)) != 0;
    } else {
        TBADDBITMAP add = { nullptr, reinterpret_cast<UINT_PTR>(bitmap) };
        added = SendMessage(TB_ADDBITMAP, imageCount, reinterpret_cast<LPARAM>(&add)) != -1;
    }
    if (!added) {
        ::DeleteObject(bitmap);
        return FALSE;
    }
    if (m_hbmImageWell)
        ::DeleteObject(m_hbmImageWell);
    m_hbmImageWell = bitmap;
    return TRUE;
}

BOOL CToolBar::SetButtonText(int index, const char* text)
{
    if (!m_pStringMap)
        m_pStringMap.reset(new std::map<CString, int>);
    int pooled;
    auto known = m_pStringMap->find(text);
    if (known != m_pStringMap->end()) {
        pooled = known->second;
    } else {
        // The pool takes a list of texts, each ended by a zero and the list by one more.
        const std::string list = std::string(text) + '\0';
        pooled = static_cast<int>(SendMessage(TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(list.c_str())));
        if (pooled == -1)
            return FALSE;
        (*m_pStringMap)[text] = pooled;
    }
    TBBUTTON button;
    if (!GetButton(index, &button))
        return FALSE;
    button.iString = pooled;
    ReplaceButton(index, button);
    return TRUE;
}

void CToolBar::SetSizes(SIZE button, SIZE image)
{
    m_sizeImage = image;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(image.cx, image.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(button.cx, button.cy));
    Invalidate();
}

void CToolBar::SetButtonStyle(int index, BYTE style, BYTE state)
{
    // Changed in place: putting a button back makes some controls measure all buttons afresh,
    // which would undo a button size set on purpose.
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_STATE;
    info.fsStyle = style;
    info.fsState = state;
    SendMessage(TB_SETBUTTONINFOA, index, reinterpret_cast<LPARAM>(&info));
}

void CToolBar::ReplaceButton(int index, const TBBUTTON& button)
{
    // The control cannot repoint a button's text in place.
    SendMessage(WM_SETREDRAW, FALSE);
    SendMessage(TB_DELETEBUTTON, index);
    SendMessage(TB_INSERTBUTTONA, index, reinterpret_cast<LPARAM>(&button));
    SendMessage(WM_SETREDRAW, TRUE);
    Invalidate();
}

int CToolBar::BarHeight() const
{
    const int buttons = GetCount() > 0 ? HIWORD(SendMessage(TB_GETBUTTONSIZE)) : 0;
    return buttons + m_rcBorders.top + m_rcBorders.bottom;
}

LRESULT CToolBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    // A hidden bar takes no room; only the top edge is in use.
    if (!(GetStyle() & WS_VISIBLE) || !(m_dwStyle & CBRS_ALIGN_TOP))
        return 0;
    RECT& free = reinterpret_cast<SizeParentParams*>(lParam)->rect;
    // Stretched across the whole free width, at the bar's own height.
    const int height = BarHeight();
    ::SetWindowPos(m_hWnd, nullptr, free.left, free.top, free.right - free.left, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    free.top += height;
    return 0;
}
