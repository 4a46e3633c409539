#pragma once
// Drives Vorsel.exe from outside its process, as a user or an accessibility tool would:
// launches it, finds its windows and reads their controls across the process boundary.
#include "EngineTestSupport.h"
#include <windows.h>
#include <string>
#include <vector>

class ProcessDriver {
public:
    ~ProcessDriver();

    // Starts exe with a command line tail and current directory; false when it cannot start.
    bool Launch(const std::string& exe, const std::string& arguments, const std::string& directory);
    // The visible main window (caption "Vorsel"), waiting up to ms for it.
    HWND MainWindow(DWORD ms = 15000);
    // Visible top-level windows of the process other than the main window (message boxes).
    std::vector<HWND> OtherWindows();
    // Waits up to ms for the process to end; true when it ended.
    bool WaitForExit(DWORD ms = 15000);
    bool Running() const;
    DWORD ExitCode() const;
    void Kill();

    // Texts of controls in the other process.
    static std::string Text(HWND hWnd);
    static std::string ItemText(HWND dialog, int id) { return Text(::GetDlgItem(dialog, id)); }
    static std::string SelectedText(HWND dialog, int comboId);
    // The status bar's text lives in the other process's memory.
    std::string StatusText(HWND dialog, int statusId);
    // A toolbar button's rectangle, in the toolbar's client coordinates.
    RECT ToolbarItemRect(HWND toolbar, int index);

    // Directory of this test program (Vorsel.exe and sample.wav sit beside it).
    static std::string OwnFolder() { return TestProgramFolder(); }
    static std::string TempFolder(const std::string& name);   // a fresh, empty folder

private:
    // Sends a message whose lParam points at bytes in the other process, and reads them back.
    LRESULT SendWithRemoteBuffer(HWND hWnd, UINT msg, WPARAM wParam, void* data, size_t size);

    PROCESS_INFORMATION m_info = {};
};
