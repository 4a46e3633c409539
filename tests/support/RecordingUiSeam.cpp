#include "RecordingUiSeam.h"
#include <cwchar>
#include <vector>

namespace {
std::string Utf8(const wchar_t* wide)
{
    std::vector<char> text(::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr) + 1);
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    return text.data();
}
}

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

BOOL RecordingUiSeam::RunSaveChooser(OPENFILENAMEW* ofn)
{
    choosers.push_back(*ofn);
    // The filter is a list of strings ending with an empty one.
    std::string filter;
    for (const wchar_t* p = ofn->lpstrFilter; p && *p; p += std::wcslen(p) + 1)
        filter += Utf8(p) + "|";
    chooserFilters.push_back(filter);
    chooserInitialDirs.push_back(ofn->lpstrInitialDir ? Utf8(ofn->lpstrInitialDir) : "(null)");
    if (chooserAnswer.empty())
        return FALSE;
    std::vector<wchar_t> answer(chooserAnswer.size() + 1);
    ::MultiByteToWideChar(CP_UTF8, 0, chooserAnswer.c_str(), -1, answer.data(), static_cast<int>(answer.size()));
    lstrcpynW(ofn->lpstrFile, answer.data(), ofn->nMaxFile);
    if (chooserFillsWholeBuffer)
        std::wmemset(ofn->lpstrFile, L'x', ofn->nMaxFile);
    return TRUE;
}
