#include "CProgressCtrl.h"

void CProgressCtrl::DrawClassic()
{
    // Looked up rather than imported: a system without the theme library draws classic anyway.
    typedef HRESULT(WINAPI * SetWindowThemeFn)(HWND, LPCWSTR, LPCWSTR);
    static const SetWindowThemeFn setTheme = [] {
        const HMODULE library = ::LoadLibraryA("uxtheme.dll");
        return library ? reinterpret_cast<SetWindowThemeFn>(::GetProcAddress(library, "SetWindowTheme")) : nullptr;
    }();
    if (setTheme && m_hWnd)
        setTheme(m_hWnd, L" ", L" ");   // no theme matches these names
}
