#pragma once
// The calls that leave the window for the user or the system — message boxes, the shell and
// the save chooser — go through here, so tests can see what would be shown or opened without
// anything popping up.
#include <windows.h>
#include <commdlg.h>

class IUiSeam {
public:
    virtual ~IUiSeam() {}
    virtual int ShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = 0;
    virtual HINSTANCE OpenWithShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                   LPCSTR directory, INT show) = 0;
    virtual BOOL RunSaveChooser(OPENFILENAMEW* ofn) = 0;
};

int UiMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HINSTANCE UiShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show);
BOOL UiGetSaveFileName(OPENFILENAMEW* ofn);
// Puts a seam in place and returns the previous one; null restores the platform's calls.
IUiSeam* SetUiSeam(IUiSeam* seam);
