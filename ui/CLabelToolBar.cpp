#include "CLabelToolBar.h"
#include <cstdlib>

namespace {
// Room around the control's own measure of the largest labelled button.
const int EXTRA_WIDTH = 2;
const int EXTRA_HEIGHT = 4;
const SIZE IMAGE_SIZE = { 24, 24 };
}

CString CLabelToolBar::LabelOf(const CString& commandString)
{
    // Empty pieces (leading, trailing or doubled line feeds) are no label.
    const size_t end = commandString.find_last_not_of('\n');
    if (end == std::string::npos)
        return CString();
    const size_t feed = commandString.find_last_of('\n', end);
    const size_t begin = feed == std::string::npos ? 0 : feed + 1;
    return CString(commandString.substr(begin, end + 1 - begin));
}

BOOL CLabelToolBar::LoadLabeledToolBar(UINT id)
{
    if (!LoadToolBar(id))
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(GetStyle() | TBSTYLE_FLAT));
    // Every label of this load goes into the pool anew.
    m_pStringMap.reset();

    for (int i = GetCount() - 1; i >= 0; --i) {
        TBBUTTON button;
        if (!GetButton(i, &button) || (button.fsStyle & TBSTYLE_SEP) || button.idCommand == 0)
            continue;
        CString text;
        text.LoadString(static_cast<UINT>(button.idCommand));
        const CString label = LabelOf(text);
        if (!label.IsEmpty())
            SetButtonText(i, label);
    }

    // The control has measured the labelled buttons; all of them take the largest size.
    SIZE largest = { 0, 0 };
    for (int i = GetCount() - 1; i >= 0; --i) {
        RECT rect = {};
        GetItemRect(i, &rect);
        const LONG width = std::abs(rect.right - rect.left) + EXTRA_WIDTH;     // normalised
        const LONG height = std::abs(rect.bottom - rect.top) + EXTRA_HEIGHT;
        if (width > largest.cx)
            largest.cx = width;
        if (height > largest.cy)
            largest.cy = height;
    }
    SetSizes(largest, IMAGE_SIZE);
    return TRUE;
}

BOOL CLabelToolBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // The buttons have no drop-down parts: nothing may answer for one.
    if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(TBN_DROPDOWN))
        return FALSE;
    return CToolBar::OnNotify(wParam, lParam, pResult);
}
