#pragma once
#include "CWnd.h"
#include <commdlg.h>
#include <vector>

// The platform's save-file chooser: the one chooser this program shows, also to pick a file
// to open, since it lets the user name a file that does not exist yet. It runs as its Unicode
// form, so that it hands back the name the user chose, not the code page's look-alike of it.
class CFileDialog {
public:
    // filter: label|pattern|... as one string, each '|' becoming a string end.
    CFileDialog(const char* defaultExtension, const char* fileName, DWORD flags, const char* filter,
                CWnd* parent = nullptr);
    void SetInitialFolder(const char* folder);
    INT_PTR DoModal();
    // The chosen path in the system's code page; exact only where PathNameFitsCodePage.
    CString GetPathName() const;
    // FALSE when the chosen name holds characters the code page cannot hold: the program's
    // 8-bit calls would then be given the name of another file.
    BOOL PathNameFitsCodePage() const;

    OPENFILENAMEW m_ofn;

private:
    std::vector<wchar_t> m_strFilter;
    std::vector<wchar_t> m_strDefaultExtension;
    std::vector<wchar_t> m_strInitialFolder;
    wchar_t m_szFileName[MAX_PATH];
    wchar_t m_szFileTitle[64];
    CWnd* m_pParentWnd;
};
