#pragma once
#include <windows.h>

class CWnd;

// The application object: exactly one, a global, registered with the framework when built.
// The entry point (AppMain.cpp) calls InitInstance; returning FALSE ends the process without
// a message loop of the application's own.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return FALSE; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// Our dialogs host no ActiveX controls and the platform's controls already draw in 3-D, so
// these start-up calls have nothing to switch on; they stay so start-up reads as designed.
inline void AfxEnableControlContainer() {}
inline BOOL Enable3dControlsStatic() { return TRUE; }
