#include "CMciNotice.h"

bool CMciNotice::Post(WPARAM code)
{
    HWND window;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        window = m_hWnd;
        m_hWnd = nullptr;
    }
    // PostMessage only: worker threads must never run the window's code.
    return window && PostMessageA(window, MM_MCINOTIFY, code, m_device);
}
