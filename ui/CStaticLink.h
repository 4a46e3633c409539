#pragma once
#include "CStatic.h"
#include "CFont.h"

// Link colours, shared by every label.
extern const COLORREF g_crLinkUnvisited;   // blue
extern const COLORREF g_crLinkVisited;     // purple
// The hand cursor, loaded on the first cursor request over any label and kept until the end.
extern HCURSOR g_hLinkCursor;
extern BOOL g_bLinkCursorTried;   // the one attempt to load it has been made

// A static text control of a dialog shown as a web link: underlined blue text, a hand over it,
// and a click opens the target with the shell (purple once it opened).
class CStaticLink : public CStatic {
public:
    // link: the target, null for none (the control's text serves then).
    explicit CStaticLink(const char* link = nullptr, BOOL deleteSelf = FALSE);

    CString m_strLink;
    COLORREF m_crText;
    CFont m_fontLink;
    BOOL m_bDeleteSelf;

protected:
    LRESULT OnNcHitTest(POINT point);
    HBRUSH CtlColor(HDC dc, UINT ctlType);
    void OnLButtonDown(UINT flags, POINT point);
    BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
    void PostNcDestroy() override;

private:
    void CreateLinkFont(HDC dc);
    static HCURSOR LoadLinkCursor();

    DECLARE_MESSAGE_MAP()
};
