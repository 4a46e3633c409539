#include "RecordingUiSeam.h"
#include <cstring>

int RecordingUiSeam::ShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    boxes.push_back({ owner, text ? text : "", caption ? caption : "(null)", type, owner && ::IsWindowVisible(owner) });
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons != MB_YESNO && buttons != MB_YESNOCANCEL)
        return IDOK;
    const int answer = answers.empty() ? IDYES : answers.front();
    if (!answers.empty())
        answers.pop_front();
    return answer;
}

HINSTANCE RecordingUiSeam::OpenWithShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                         LPCSTR directory, INT show)
{
    shellCalls.push_back({ owner, verb ? verb : "(null)", file ? file : "(null)",
                           parameters ? parameters : "(null)", directory ? directory : "(null)", show });
    return shellResult;
}

BOOL RecordingUiSeam::RunSaveChooser(OPENFILENAMEA* ofn)
{
    choosers.push_back(*ofn);
    // The filter is a list of strings ending with an empty one.
    std::string filter;
    for (const char* p = ofn->lpstrFilter; p && *p; p += std::strlen(p) + 1)
        filter += std::string(p) + "|";
    chooserFilters.push_back(filter);
    chooserInitialDirs.push_back(ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "(null)");
    if (chooserAnswer.empty())
        return FALSE;
    lstrcpynA(ofn->lpstrFile, chooserAnswer.c_str(), ofn->nMaxFile);
    if (chooserFillsWholeBuffer)
        std::memset(ofn->lpstrFile, 'x', ofn->nMaxFile);
    return TRUE;
}
