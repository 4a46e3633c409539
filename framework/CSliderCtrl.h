#pragma once
#include "CWnd.h"
#include <commctrl.h>

class CSliderCtrl : public CWnd {
public:
    // Minimum first, then maximum, both with the same redraw flag.
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE)
    {
        SendMessage(TBM_SETRANGEMIN, redraw, minimum);
        SendMessage(TBM_SETRANGEMAX, redraw, maximum);
    }
    void SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }
};
