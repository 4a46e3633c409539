#include "CMciNotice.h"

bool CMciNotice::Post(WPARAM code)
{
    // Taken once: whoever takes the window posts, and nobody after.
    const HWND window = m_hWnd.exchange(nullptr);
    // PostMessage only: worker threads must never run the window's code.
    return window && PostMessageA(window, MM_MCINOTIFY, code, m_device);
}
