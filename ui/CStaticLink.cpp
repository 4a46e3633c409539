#include "CStaticLink.h"
#include "UiSeam.h"

const COLORREF g_crLinkUnvisited = RGB(0, 0, 255);
const COLORREF g_crLinkVisited = RGB(128, 0, 128);
HCURSOR g_hLinkCursor = nullptr;
BOOL g_bLinkCursorTried = FALSE;

namespace {
// Cursor resource of the hand in the Windows help program.
const UINT HELP_HAND_CURSOR = 106;
const char HELP_PROGRAM[] = "\\winhlp32.exe";
// A shell result of 32 or less is an error code.
const UINT_PTR SHELL_ERROR_LIMIT = 32;
}

BEGIN_MESSAGE_MAP(CStaticLink, CStatic)
    ON_WM_NCHITTEST()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CStaticLink::CStaticLink(const char* link, BOOL deleteSelf)
    : m_strLink(link), m_crText(g_crLinkUnvisited), m_bDeleteSelf(deleteSelf)
{
}

LRESULT CStaticLink::OnNcHitTest(POINT)
{
    // A static lets the mouse through; the link needs its clicks and cursor requests.
    return HTCLIENT;
}

HBRUSH CStaticLink::CtlColor(HDC dc, UINT)
{
    // Only plain text (left, centred or right, nothing else in the low byte) looks like a link;
    // icons, frames and prefix-less text keep the parent's colours.
    if ((GetStyle() & 0xFF) > SS_RIGHT)
        return nullptr;
    if (!m_fontLink.GetSafeHandle())
        CreateLinkFont(dc);
    if (m_fontLink.GetSafeHandle())
        ::SelectObject(dc, m_fontLink);
    ::SetTextColor(dc, m_crText);
    ::SetBkMode(dc, TRANSPARENT);
    // Hollow, so the dialog's background shows around the text.
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CStaticLink::CreateLinkFont(HDC dc)
{
    // Made once from the control's own font; a later change of that font is not followed.
    HFONT base = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!base)   // no font of its own: the control draws with the one the DC holds
        base = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    LOGFONTA logFont;
    if (!base || ::GetObjectA(base, sizeof logFont, &logFont) != sizeof logFont)
        return;
    logFont.lfUnderline = TRUE;
    // Also made the control's own font: some platforms' statics select their font only after
    // asking for colours, which would drop the underline there.
    if (m_fontLink.CreateFontIndirect(&logFont))
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_fontLink.GetSafeHandle()), FALSE);
}

void CStaticLink::OnLButtonDown(UINT, POINT)
{
    // Without a target the control's text is taken, and kept even if the text changes later.
    if (m_strLink.IsEmpty())
        GetWindowText(m_strLink);
    if (m_strLink.IsEmpty())
        return;
    const HINSTANCE result = UiShellExecute(nullptr, "open", m_strLink, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<UINT_PTR>(result) <= SHELL_ERROR_LIMIT) {
        ::MessageBeep(0);
        return;
    }
    m_crText = g_crLinkVisited;
    Invalidate(TRUE);
}

BOOL CStaticLink::OnSetCursor(HWND, UINT, UINT)
{
    // One attempt per process, for all labels; a failure is final.
    if (!g_hLinkCursor && !g_bLinkCursorTried) {
        g_hLinkCursor = LoadLinkCursor();
        g_bLinkCursorTried = TRUE;
    }
    // Without a hand the pointer is left as it is: FALSE here does not reach the default
    // handling, which would put the arrow back.
    if (!g_hLinkCursor)
        return FALSE;
    ::SetCursor(g_hLinkCursor);
    return TRUE;
}

HCURSOR CStaticLink::LoadLinkCursor()
{
    HCURSOR cursor = nullptr;
    char path[MAX_PATH];
    const UINT length = ::GetWindowsDirectoryA(path, MAX_PATH);
    // Only a whole path is tried: a cut one would name some other file.
    if (length > 0 && length + sizeof HELP_PROGRAM <= MAX_PATH) {
        lstrcatA(path, HELP_PROGRAM);
        HMODULE module = ::LoadLibraryA(path);
        if (module) {
            // The module goes right away; the copy stays valid for the life of the process.
            if (HCURSOR hand = ::LoadCursorA(module, MAKEINTRESOURCEA(HELP_HAND_CURSOR)))
                cursor = ::CopyIcon(hand);
            ::FreeLibrary(module);
        }
    }
    // An installation without that program or its cursor still has the system's hand.
    if (!cursor)
        cursor = ::LoadCursorA(nullptr, IDC_HAND);
    return cursor;
}

void CStaticLink::PostNcDestroy()
{
    if (m_bDeleteSelf)
        delete this;
}
