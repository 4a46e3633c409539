#pragma once
#include <windows.h>

// A menu handle. The window a menu is set on destroys it, so the object only detaches.
class CMenu {
public:
    HMENU m_hMenu = nullptr;
    BOOL Attach(HMENU menu) { m_hMenu = menu; return menu != nullptr; }
    HMENU Detach() { HMENU menu = m_hMenu; m_hMenu = nullptr; return menu; }
};
