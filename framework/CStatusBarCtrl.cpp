#include "CStatusBarCtrl.h"

BOOL CStatusBarCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(STATUSCLASSNAMEA, "", style, rect, parent, id);
}
