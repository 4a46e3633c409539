#include "CControlFont.h"

void CControlFont::Capture(HWND control, UINT dpi)
{
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
    if (!font)
        font = ::GetStockObject(DEFAULT_GUI_FONT);   // a control that draws in the system's font
    if (::GetObjectA(font, sizeof m_logFont, &m_logFont) == 0)
        return;
    m_nCapturedDpi = m_nShownDpi = dpi;
}

void CControlFont::Apply(HWND control, UINT dpi)
{
    if (!control || m_nCapturedDpi == 0 || dpi == m_nShownDpi)
        return;
    LOGFONTA scaled = m_logFont;
    scaled.lfHeight = ::MulDiv(m_logFont.lfHeight, dpi, m_nCapturedDpi);
    scaled.lfWidth = ::MulDiv(m_logFont.lfWidth, dpi, m_nCapturedDpi);
    HFONT font = ::CreateFontIndirectA(&scaled);
    if (!font)
        return;
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    m_font.DeleteObject();   // the control has let go of it
    m_font.m_hObject = font;
    m_nShownDpi = dpi;
}
