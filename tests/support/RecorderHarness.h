#pragma once
// The real main window over a scripted device, with boxes, shell and chooser recorded.
#include "CRecorderDlg.h"
#include "DialogRunner.h"
#include "EngineTestSupport.h"
#include "RecordingUiSeam.h"
#include "ScriptedMciPort.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <string>

class RecorderHarness : public ::testing::Test {
protected:
    ScriptedMciPort port;
    RecordingUiSeam ui;
    ScopedMciPort portScope{ &port };
    ScopedUiSeam uiScope{ &ui };
    CRecorderDlg dlg;

    // Runs the window and the body inside its modal loop.
    void Run(const std::function<void(HWND)>& body) { RunModal(dlg, body); }

    static void Command(HWND h, UINT id) { ::SendMessageA(h, WM_COMMAND, id, 0); }
    // A click on the Record or Pause button: the toolbar flips it, then the command comes.
    static void Click(CRecorderDlg& window, UINT id);
    void Click(UINT id) { Click(dlg, id); }
    bool Pressed(UINT id) const;
    static void Tick(HWND h) { ::SendMessageA(h, WM_TIMER, TIMER_POSITION, 0); }
    // A notice from the device open now, or from another one.
    void Notice(HWND h, WPARAM code) { Notice(h, code, dlg.m_wave.m_wDeviceID); }
    static void Notice(HWND h, WPARAM code, MCIDEVICEID device) { ::SendMessageA(h, MM_MCINOTIFY, code, device); }
    static void ReleaseSlider(HWND h);
    static std::string Status(HWND h);
    static std::string Selected(HWND h, int comboId);
    static int SliderMax(HWND h) { return static_cast<int>(::SendDlgItemMessageA(h, IDC_SLIDER, TBM_GETRANGEMAX, 0, 0)); }
    static int SliderPos(HWND h) { return static_cast<int>(::SendDlgItemMessageA(h, IDC_SLIDER, TBM_GETPOS, 0, 0)); }
    static std::string ModuleFolder() { return TestProgramFolder(); }

    void AnswerLength(DWORD ms) { port.statusAnswers[MCI_STATUS_LENGTH] = ms; }
    void AnswerPosition(DWORD ms) { port.statusAnswers[MCI_STATUS_POSITION] = ms; }
};
