// The start-up floor of Vorsel's own window: its dialog template and resources shown with
// nothing behind them (no menu, bars, icons, file or sound system). Vorsel's start-up minus
// this program's is the time its own code adds.
#include <windows.h>
#include <commctrl.h>
#include "resource.h"

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
    // The same common controls start as the program's, since the template holds a slider.
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES };
    InitCommonControlsEx(&icc);
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, &Proc, 0));
}
