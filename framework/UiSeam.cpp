#include "UiSeam.h"
#include <shellapi.h>

namespace {
IUiSeam* g_pSeam = nullptr;
}

int UiMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return g_pSeam ? g_pSeam->ShowMessageBox(owner, text, caption, type) : ::MessageBoxA(owner, text, caption, type);
}

HINSTANCE UiShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    if (g_pSeam)
        return g_pSeam->OpenWithShell(owner, verb, file, parameters, directory, show);
    return ::ShellExecuteA(owner, verb, file, parameters, directory, show);
}

BOOL UiGetSaveFileName(OPENFILENAMEA* ofn)
{
    return g_pSeam ? g_pSeam->RunSaveChooser(ofn) : ::GetSaveFileNameA(ofn);
}

IUiSeam* SetUiSeam(IUiSeam* seam)
{
    IUiSeam* previous = g_pSeam;
    g_pSeam = seam;
    return previous;
}
