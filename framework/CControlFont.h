#pragma once
#include "CFont.h"

// The font a control chose for itself, made again for another DPI: a control picks its font
// once, at the DPI of its creation, and keeps it when the window moves to another monitor.
class CControlFont {
public:
    // Notes the control's font as it is now, at dpi.
    void Capture(HWND control, UINT dpi);
    // Gives the control that font at dpi, unless it has it at dpi already.
    void Apply(HWND control, UINT dpi);

private:
    LOGFONTA m_logFont = {};
    UINT m_nCapturedDpi = 0;
    UINT m_nShownDpi = 0;
    CFont m_font;   // the one made here, while the control uses it
};
