#include "CRecorderApp.h"
#include "CRecorderDlg.h"

CRecorderApp theApp;

BOOL CRecorderApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    // Our own engine, so the recorder behaves the same on every system. The engine itself
    // is made by the window's first command, the start-up Open.
    SetMciPort(&m_enginePort);
    CRecorderDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // No message loop of our own: the process ends with the window.
    return FALSE;
}
