#pragma once
#include "CWnd.h"
#include <commctrl.h>

class CStatusBarCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    BOOL SetText(const char* text, int part, int type)
    {
        return static_cast<BOOL>(SendMessage(SB_SETTEXTA, part | type, reinterpret_cast<LPARAM>(text)));
    }
};
