#include "ProcessDriver.h"
#include <commctrl.h>

namespace {
struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindows(HWND hWnd, LPARAM lParam)
{
    Search* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == search->pid && ::IsWindowVisible(hWnd))
        search->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> WindowsOf(DWORD pid)
{
    Search search = { pid, {} };
    ::EnumWindows(&CollectWindows, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Every program this test program starts ends with it, however it ends: one killed at its
// time limit must not leave a Vorsel behind to take the next test's windows and keys.
HANDLE ChildrenJob()
{
    static const HANDLE job = [] {
        HANDLE created = ::CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created) {
            ::SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
            // Closing it ends every child: no stray CloseHandle may do that.
            ::SetHandleInformation(created, HANDLE_FLAG_PROTECT_FROM_CLOSE, HANDLE_FLAG_PROTECT_FROM_CLOSE);
        }
        return created;
    }();
    return job;
}

// The program's questions bear its name too, but they are owned by the main window.
bool IsMainWindow(HWND w)
{
    return ProcessDriver::Text(w) == "Vorsel" && !::GetWindow(w, GW_OWNER);
}
}

ProcessDriver::~ProcessDriver()
{
    Kill();
    if (m_info.hProcess) {
        ::CloseHandle(m_info.hProcess);
        ::CloseHandle(m_info.hThread);
    }
}

bool ProcessDriver::Launch(const std::string& exe, const std::string& arguments, const std::string& directory)
{
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &m_info))
        return false;
    if (const HANDLE job = ChildrenJob())
        ::AssignProcessToJobObject(job, m_info.hProcess);
    return true;
}

HWND ProcessDriver::MainWindow(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    do {
        for (HWND w : WindowsOf(m_info.dwProcessId))
            if (IsMainWindow(w))
                return w;
        ::Sleep(10);
    } while (::GetTickCount() - start < ms && Running());
    return nullptr;
}

std::vector<HWND> ProcessDriver::OtherWindows()
{
    std::vector<HWND> others;
    for (HWND w : WindowsOf(m_info.dwProcessId))
        if (!IsMainWindow(w))
            others.push_back(w);
    return others;
}

bool ProcessDriver::WaitForExit(DWORD ms)
{
    return ::WaitForSingleObject(m_info.hProcess, ms) == WAIT_OBJECT_0;
}

bool ProcessDriver::Running() const
{
    return m_info.hProcess && ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ProcessDriver::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    return m_info.hProcess && ::GetExitCodeProcess(m_info.hProcess, &code) ? code : STILL_ACTIVE;
}

void ProcessDriver::Kill()
{
    if (Running()) {
        ::TerminateProcess(m_info.hProcess, 1);
        ::WaitForSingleObject(m_info.hProcess, 5000);
    }
}

std::string ProcessDriver::Text(HWND hWnd)
{
    char text[1024] = "";
    ::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                          5000, nullptr);
    return text;
}

std::string ProcessDriver::SelectedText(HWND dialog, int comboId)
{
    const LRESULT index = ::SendDlgItemMessageA(dialog, comboId, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return "(none)";
    // Only the wide form of this message crosses the process boundary intact under Wine.
    wchar_t wide[256] = L"";
    ::SendDlgItemMessageW(dialog, comboId, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide));
    char text[256] = "";
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

LRESULT ProcessDriver::SendWithRemoteBuffer(HWND hWnd, UINT msg, WPARAM wParam, void* data, size_t size)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return 0;
    void* remote = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    LRESULT result = 0;
    if (remote) {
        ::WriteProcessMemory(process, remote, data, size, nullptr);
        result = ::SendMessageA(hWnd, msg, wParam, reinterpret_cast<LPARAM>(remote));
        ::ReadProcessMemory(process, remote, data, size, nullptr);
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    ::CloseHandle(process);
    return result;
}

std::string ProcessDriver::StatusText(HWND dialog, int statusId)
{
    char text[512] = "";
    SendWithRemoteBuffer(::GetDlgItem(dialog, statusId), SB_GETTEXTA, 0, text, sizeof text);
    text[sizeof text - 1] = '\0';
    return text;
}

RECT ProcessDriver::ToolbarItemRect(HWND toolbar, int index)
{
    RECT rect = {};
    SendWithRemoteBuffer(toolbar, TB_GETITEMRECT, index, &rect, sizeof rect);
    return rect;
}

std::string ProcessDriver::TempFolder(const std::string& name)
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name + "-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}
