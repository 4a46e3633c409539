#pragma once
#include "CWinApp.h"

// The root of the process: runs the main window modally, then lets the process end.
class CRecorderApp : public CWinApp {
public:
    CRecorderApp() {}
    ~CRecorderApp() override {}
    BOOL InitInstance() override;
};
