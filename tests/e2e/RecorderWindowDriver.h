#pragma once
// Vorsel.exe running and its main window, driven from outside the process as a user would:
// commands, the file name field, the "..." chooser, message boxes and a recorded take.
#include "ProcessDriver.h"
#include <windows.h>
#include <string>

constexpr char RECORDED[] = "   Sound was recorded, use Save to save in file";

class RecorderWindowDriver {
public:
    ProcessDriver app;
    HWND main = nullptr;

    // Launches exe and waits for its main window; false when none came.
    bool Start(const std::string& exe = ProcessDriver::OwnFolder() + "Vorsel.exe");
    // Dismisses what is open, exits, and kills the program if it stays.
    void Quit();

    void Command(UINT id) { ::SendMessageA(main, WM_COMMAND, id, 0); }
    // Posted, not sent: the program sits in its message box until we dismiss it.
    void PostSave();
    std::string Status();
    // Waits up to ms for the status line to read text.
    bool StatusBecomes(const std::string& text, DWORD ms = 3000);
    std::string Item(int id) { return ProcessDriver::ItemText(main, id); }
    std::string Selected(int id) { return ProcessDriver::SelectedText(main, id); }
    LRESULT SliderMax();
    void SetField(const std::string& text);

    // A window of the program other than the main window and 'except', waiting up to ms.
    HWND OtherWindow(HWND except, DWORD ms);
    // Message boxes are read, then dismissed with 'button' (a question needs IDYES or IDNO);
    // 'except' is a window that is no box (the chooser).
    struct Box { std::string caption, text; HWND owner = nullptr; };
    bool NextBox(Box& box, HWND except = nullptr, DWORD ms = 8000, int button = IDOK);
    static bool Gone(HWND w, DWORD ms = 5000);

    // Clicks "..." and waits for the chooser.
    HWND OpenChooser();
    // Types path into the chooser's name box (it opens with the focus there) and presses Enter.
    bool TypeIntoChooser(HWND chooser, const std::string& path);
    // Both of the above; returns the chooser, or null.
    HWND Choose(const std::string& path);
    // Chooses path and waits for the chooser to close; false if it stays.
    bool ChooseFile(const std::string& path);

    // Records a tone for about ms and stops; returns the take's length in slider steps
    // (100 ms). The tone keeps the session's sink running, so its monitor delivers.
    LRESULT RecordTake(DWORD ms);
    // Saves under the name the field holds and reads the file back: the saved box, then a whole
    // WAVE file of the 440 Hz tone, 'steps' slider steps long give or take 'within' seconds.
    void ExpectToneSaved(const std::string& path, LRESULT steps, double within, EngineWave& wave);
};
