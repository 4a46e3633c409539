#include "CFileDialog.h"
#include "CWinApp.h"
#include "UiSeam.h"
#include <cstring>

CFileDialog::CFileDialog(BOOL openMode, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_ofn(), m_bOpenMode(openMode), m_strFilter(filter), m_strDefaultExtension(defaultExtension),
      m_szFileName(), m_szFileTitle(), m_pParentWnd(parent)
{
    for (char& c : m_strFilter)
        if (c == '|')
            c = '\0';
    if (fileName)
        lstrcpynA(m_szFileName, fileName, sizeof m_szFileName);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFilter = filter ? m_strFilter.c_str() : nullptr;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
    m_ofn.lpstrDefExt = defaultExtension ? m_strDefaultExtension.c_str() : nullptr;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal()
{
    // With no owner given the main window owns the chooser and stays disabled while it is up.
    CWinApp* app = AfxGetApp();
    CWnd* owner = m_pParentWnd ? m_pParentWnd : (app ? app->m_pMainWnd : nullptr);
    m_ofn.hwndOwner = owner ? owner->m_hWnd : nullptr;
    const BOOL chosen = m_bOpenMode ? ::GetOpenFileNameA(&m_ofn) : UiGetSaveFileName(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}
