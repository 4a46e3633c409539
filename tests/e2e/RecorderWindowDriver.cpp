#include "RecorderWindowDriver.h"
#include "EngineTestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <commctrl.h>

bool RecorderWindowDriver::Start(const std::string& exe)
{
    if (!app.Launch(exe, "", ""))
        return false;
    main = app.MainWindow();
    return main != nullptr;
}

void RecorderWindowDriver::Quit()
{
    for (HWND w : app.OtherWindows())
        ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    if (main && ::IsWindow(main))
        ::PostMessageA(main, WM_COMMAND, ID_EXIT, 0);
    // A take that was not saved is asked about first: it may go.
    for (int i = 0; i < 30 && !app.WaitForExit(100); ++i)
        if (HWND question = OtherWindow(nullptr, 0))
            ::PostMessageA(question, WM_COMMAND, IDYES, 0);
    if (!app.WaitForExit(10000))
        app.Kill();
}

void RecorderWindowDriver::PostSave()
{
    ::PostMessageA(main, WM_COMMAND, ID_SAVE, 0);
}

std::string RecorderWindowDriver::Status()
{
    return app.StatusText(main, IDC_STATUSBAR);
}

LRESULT RecorderWindowDriver::SliderMax()
{
    return ::SendDlgItemMessageA(main, IDC_SLIDER, TBM_GETRANGEMAX, 0, 0);
}

void RecorderWindowDriver::SetField(const std::string& text)
{
    ::SendMessageA(::GetDlgItem(main, IDC_FILENAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND RecorderWindowDriver::OtherWindow(HWND except, DWORD ms)
{
    for (DWORD waited = 0; waited <= ms; waited += 100) {
        for (HWND w : app.OtherWindows())
            if (w != except)
                return w;
        ::Sleep(100);
    }
    return nullptr;
}

bool RecorderWindowDriver::NextBox(Box& box, HWND except, DWORD ms, int button)
{
    HWND w = OtherWindow(except, ms);
    if (!w) {
        // An ended Vorsel shows no box either: that is said, not taken for a box that did not come.
        if (!app.Running())
            ADD_FAILURE() << "Vorsel ended (exit code " << app.ExitCode() << ") while a box was awaited";
        return false;
    }
    box.caption = ProcessDriver::Text(w);
    box.text = ProcessDriver::ItemText(w, 0xFFFF);
    box.owner = ::GetWindow(w, GW_OWNER);
    ::PostMessageA(w, WM_COMMAND, button, 0);
    return Gone(w);
}

bool RecorderWindowDriver::Gone(HWND w, DWORD ms)
{
    for (DWORD waited = 0; waited < ms && ::IsWindow(w); waited += 50)
        ::Sleep(50);
    return !::IsWindow(w);
}

HWND RecorderWindowDriver::OpenChooser()
{
    ::PostMessageA(main, WM_COMMAND, IDC_BROWSE, 0);
    return OtherWindow(nullptr, 10000);
}

bool RecorderWindowDriver::TypeIntoChooser(HWND chooser, const std::string& path)
{
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    HWND name = nullptr;
    // Only the name box may take the name: Enter anywhere else in the chooser does something else.
    for (int i = 0; i < 50 && !name; ++i) {
        ::Sleep(100);
        char cls[16] = "";
        if (::GetGUIThreadInfo(::GetWindowThreadProcessId(chooser, nullptr), &gui) && gui.hwndFocus &&
            ::GetClassNameA(gui.hwndFocus, cls, sizeof cls) && lstrcmpiA(cls, "Edit") == 0)
            name = gui.hwndFocus;
    }
    if (!name)
        return false;
    std::wstring wide(path.size() + 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    ::PostMessageA(name, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageA(name, WM_KEYUP, VK_RETURN, 0xC01C0001);
    return true;
}

HWND RecorderWindowDriver::Choose(const std::string& path)
{
    HWND chooser = OpenChooser();
    return chooser && TypeIntoChooser(chooser, path) ? chooser : nullptr;
}

bool RecorderWindowDriver::ChooseFile(const std::string& path)
{
    HWND chooser = Choose(path);
    return chooser && Gone(chooser, 8000);
}

LRESULT RecorderWindowDriver::RecordTake(DWORD ms)
{
    CEngineTone tone(440, ms / 1000.0 + 3);
    EXPECT_TRUE(tone.Start());
    ::Sleep(400);   // the tone is flowing before the take starts
    Command(ID_RECORD);
    ::Sleep(ms);
    Command(ID_STOP);
    tone.Stop();
    EXPECT_EQ(RECORDED, Status());
    return SliderMax();
}

void RecorderWindowDriver::ExpectToneSaved(const std::string& path, LRESULT steps, double within, EngineWave& wave)
{
    PostSave();
    Box saved;
    ASSERT_TRUE(NextBox(saved));
    EXPECT_EQ("Sound File Saved!", saved.caption);
    std::string why;
    ASSERT_TRUE(EngineReadCanonicalWave(path, wave, why)) << why;
    EXPECT_NEAR(steps / 10.0, wave.Seconds(), within);
    EXPECT_NEAR(440.0, EngineDominantHz(wave.mono, wave.rate, 100, 2000), 3.0);
}

bool RecorderWindowDriver::StatusBecomes(const std::string& text, DWORD ms)
{
    for (const DWORD start = ::GetTickCount(); Status() != text; ::Sleep(50))
        if (::GetTickCount() - start > ms)
            return false;
    return true;
}
