// The start-up baselines: the smallest Win32 program that shows a modal dialog; and, built
// with VORSEL_TEMPLATE, the same program showing Vorsel's own window template and resources
// with nothing behind them (no menu, bars, icons, file or sound system), the floor under
// Vorsel's start-up: Vorsel's figure minus this one is the time its own code adds.
#include <windows.h>
#ifdef VORSEL_TEMPLATE
#include <commctrl.h>
#include "resource.h"
#endif

static INT_PTR CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hWnd, LOWORD(wParam));
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef VORSEL_TEMPLATE
    // The same common controls start as the program's: the template holds a slider.
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES };
    InitCommonControlsEx(&icc);
    const int dialog = IDD_MAIN;
#else
    const int dialog = 1;
#endif
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(dialog), nullptr, &Proc, 0));
}
