#pragma once
#include "CWnd.h"
#include <commctrl.h>
#include <map>
#include <memory>

// Control-bar styles: how a bar lines up with its parent's edges (kept apart from the
// window style, whose low bits belong to the control).
const DWORD CBRS_SIZE_DYNAMIC = 0x0004;
const DWORD CBRS_HIDE_INPLACE = 0x0008;
const DWORD CBRS_TOOLTIPS = 0x0010;
const DWORD CBRS_FLYBY = 0x0020;
const DWORD CBRS_BORDER_TOP = 0x0200;
const DWORD CBRS_BORDER_BOTTOM = 0x0800;
const DWORD CBRS_ALIGN_TOP = 0x2000;
const DWORD CBRS_ALL = 0x0040FFFF;

// The id of a window's standard toolbar, and the last of the ids its bars may have.
const UINT IDW_TOOLBAR = 0xE800;
const UINT IDW_CONTROLBAR_LAST = 0xE8FF;

// A control bar over the platform's toolbar control ("ToolbarWindow32"). It loads its buttons
// from a toolbar layout resource and lays itself out when its parent calls RepositionBars.
class CToolBar : public CWnd {
public:
    CToolBar() {}
    ~CToolBar() override;

    // ctrlStyle: the control's own styles (TBSTYLE_*, CCS_*); style: WS_* plus the bar's CBRS_*.
    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, const RECT& borders, UINT id);
    // Buttons from the layout resource `id` (type 241) and images from the bitmap of the same id.
    BOOL LoadToolBar(UINT id);
    // Points the button at index to text in the control's string pool, adding it only once.
    BOOL SetButtonText(int index, const char* text);
    // Image size first, then button size: the control measures buttons around their images.
    void SetSizes(SIZE button, SIZE image);
    // Style and state replace the button's own (a checked state is dropped too).
    void SetButtonStyle(int index, BYTE style, BYTE state = TBSTATE_ENABLED);

    int GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    BOOL GetButton(int index, TBBUTTON* button) const
    {
        return static_cast<BOOL>(SendMessage(TB_GETBUTTON, index, reinterpret_cast<LPARAM>(button)));
    }
    BOOL GetItemRect(int index, RECT* rect) const
    {
        return static_cast<BOOL>(SendMessage(TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)));
    }
    // The index of the button that sends this command, or -1.
    int CommandToIndex(UINT id) const { return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, id)); }
    BOOL IsButtonChecked(UINT id) const { return SendMessage(TB_ISBUTTONCHECKED, id) != 0; }
    void CheckButton(UINT id, BOOL check) { SendMessage(TB_CHECKBUTTON, id, MAKELPARAM(check, 0)); }

protected:
    // Replaces every button by the layout's: push buttons with consecutive images, 0 a separator.
    BOOL SetButtons(const WORD* ids, int count);
    BOOL AddReplaceBitmap(HBITMAP bitmap);
    // Replaces the button at index (the control cannot repoint a button's text in place).
    void ReplaceButton(int index, const TBBUTTON& button);
    // The bar's height when laid along a top or bottom edge.
    int BarHeight() const;
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);

    DWORD m_dwStyle = 0;
    RECT m_rcBorders = {};
    SIZE m_sizeImage = {};   // the control does not tell its image size back
    HBITMAP m_hbmImageWell = nullptr;
    // Label text -> its index in the control's string pool; dropped to relabel from scratch.
    std::unique_ptr<std::map<CString, int>> m_pStringMap;

    DECLARE_MESSAGE_MAP()
};
