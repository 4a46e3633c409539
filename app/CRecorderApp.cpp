#include "CRecorderApp.h"
#include "CRecorderDlg.h"

CRecorderApp theApp;

BOOL CRecorderApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    CRecorderDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // No message loop of our own: the process ends with the window.
    return FALSE;
}
