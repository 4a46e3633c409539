#include "CLabelToolBar.h"
#include <cstdlib>

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

BOOL CLabelToolBar::LoadLabeledToolBar(UINT id, SIZE image, SIZE room)
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

    FitButtons(image, room);
    return TRUE;
}

void CLabelToolBar::FitButtons(SIZE image, SIZE room)
{
    // Measured afresh around pictures of this size: from the plain size, which the control
    // keeps as set, it grows every button for its label when a button is put back.
    SetSizes({ image.cx + 7, image.cy + 7 }, image);
    TBBUTTON first;
    if (GetCount() > 0 && GetButton(0, &first))
        ReplaceButton(0, first);
    // The control has measured the labelled buttons; all of them take the largest size.
    SIZE largest = { 0, 0 };
    for (int i = GetCount() - 1; i >= 0; --i) {
        RECT rect = {};
        GetItemRect(i, &rect);
        const LONG width = std::abs(rect.right - rect.left) + room.cx;     // normalised
        const LONG height = std::abs(rect.bottom - rect.top) + room.cy;
        if (width > largest.cx)
            largest.cx = width;
        if (height > largest.cy)
            largest.cy = height;
    }
    SetSizes(largest, image);
}

BOOL CLabelToolBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // The buttons have no drop-down parts: nothing may answer for one.
    if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(TBN_DROPDOWN))
        return FALSE;
    return CToolBar::OnNotify(wParam, lParam, pResult);
}
