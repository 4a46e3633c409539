#pragma once
#include "CEngineMciPort.h"
#include "CWinApp.h"

// The root of the process: puts our own engine behind the device port, runs the main window
// modally, then lets the process end.
class CRecorderApp : public CWinApp {
public:
    CRecorderApp() {}
    ~CRecorderApp() override {}
    BOOL InitInstance() override;

private:
    CEngineMciPort m_enginePort;   // outlives the window and its device
};
