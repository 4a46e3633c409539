#include "UiSeam.h"
#include <shellapi.h>

namespace {
IUiSeam* g_pSeam = nullptr;

// The shell and the file chooser are loaded when first used, not at start-up: they bring in
// many libraries that the window does not need to appear.
template <typename Fn>
Fn Platform(const char* library, const char* name)
{
    HMODULE module = ::LoadLibraryA(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}
}

int UiMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return g_pSeam ? g_pSeam->ShowMessageBox(owner, text, caption, type) : ::MessageBoxA(owner, text, caption, type);
}

HINSTANCE UiShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    if (g_pSeam)
        return g_pSeam->OpenWithShell(owner, verb, file, parameters, directory, show);
    typedef HINSTANCE(WINAPI * ShellExecuteFn)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static const ShellExecuteFn shellExecute = Platform<ShellExecuteFn>("shell32.dll", "ShellExecuteA");
    if (!shellExecute)
        return reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
    return shellExecute(owner, verb, file, parameters, directory, show);
}

typedef BOOL(WINAPI * ChooserFn)(OPENFILENAMEW*);

BOOL UiGetSaveFileName(OPENFILENAMEW* ofn)
{
    if (g_pSeam)
        return g_pSeam->RunSaveChooser(ofn);
    static const ChooserFn chooser = Platform<ChooserFn>("comdlg32.dll", "GetSaveFileNameW");
    return chooser ? chooser(ofn) : FALSE;
}

IUiSeam* SetUiSeam(IUiSeam* seam)
{
    IUiSeam* previous = g_pSeam;
    g_pSeam = seam;
    return previous;
}
