#pragma once
#include "CWnd.h"
#include <commdlg.h>

// The platform's file chooser; this program only uses its save mode.
class CFileDialog {
public:
    // filter: label|pattern|... as one string, each '|' becoming a string end.
    CFileDialog(BOOL openMode, const char* defaultExtension, const char* fileName, DWORD flags,
                const char* filter, CWnd* parent = nullptr);
    INT_PTR DoModal();
    CString GetPathName() const { return CString(m_szFileName); }

    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenMode;
    CString m_strFilter;
    CString m_strDefaultExtension;
    char m_szFileName[MAX_PATH];
    char m_szFileTitle[64];
    CWnd* m_pParentWnd;
};
