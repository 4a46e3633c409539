#pragma once
#include "CWnd.h"
#include <commdlg.h>

// The platform's save-file chooser: the one chooser this program shows, also to pick a file
// to open, since it lets the user name a file that does not exist yet.
class CFileDialog {
public:
    // filter: label|pattern|... as one string, each '|' becoming a string end.
    CFileDialog(const char* defaultExtension, const char* fileName, DWORD flags, const char* filter,
                CWnd* parent = nullptr);
    INT_PTR DoModal();
    CString GetPathName() const { return CString(m_szFileName); }

    OPENFILENAMEA m_ofn;

private:
    CString m_strFilter;
    CString m_strDefaultExtension;
    char m_szFileName[MAX_PATH];
    char m_szFileTitle[64];
    CWnd* m_pParentWnd;
};
