#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <atomic>

// The one MM_MCINOTIFY a running play or record owes its caller. Whoever ends the command
// first (the worker at a natural end or failure, the window thread on stop, close or a new
// command) posts it; later attempts post nothing, so a caller never gets two notices.
class CMciNotice {
public:
    CMciNotice(HWND window, MCIDEVICEID device) : m_hWnd(window), m_device(device) {}
    // Posts the code if the notice is still owed; true if this call posted it.
    bool Post(WPARAM code);

private:
    std::atomic<HWND> m_hWnd;   // null once taken for posting, or when the caller asked for no notice
    MCIDEVICEID m_device;
};
