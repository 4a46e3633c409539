#pragma once
#include "CWnd.h"
#include <commctrl.h>

class CProgressCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(PROGRESS_CLASSA, "", style, rect, parent, id);
    }
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, lower, upper); }
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, position)); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    // Drawn in the classic style whatever visual style the system has: a themed bar glides to
    // each new position and keeps a glow running, where a meter must show each reading as it
    // comes (and, under Wine, a themed repaint costs several times a classic one).
    void DrawClassic();
};
