#include "CStatusBarCtrl.h"
#include "CWinApp.h"

BOOL CStatusBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    HWND hWnd = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent->m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  AfxGetInstanceHandle(), nullptr);
    return hWnd ? Attach(hWnd) : FALSE;
}
