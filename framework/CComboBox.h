#pragma once
#include "CWnd.h"

class CComboBox : public CWnd {
public:
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    // Whole-text, case-insensitive search from after startAfter (-1: the whole list).
    int FindStringExact(int startAfter, const char* text) const
    {
        return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, startAfter, reinterpret_cast<LPARAM>(text)));
    }
    void GetLBText(int index, CString& text) const;
};
