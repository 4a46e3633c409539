// The program's entry point: starts the common controls and hands over to the application object.
#include <windows.h>
#include <commctrl.h>
#include "CWinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES };
    InitCommonControlsEx(&icc);

    CWinApp* app = AfxGetApp();
    if (!app)
        return 0;
    app->m_hInstance = hInstance;
    if (app->InitInstance())
        return app->Run();
    return app->ExitInstance();
}
