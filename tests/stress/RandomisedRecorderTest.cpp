// Thousands of random commands, ticks, notices, saves and file choices against the real window
// over the real engine: nothing may crash, the device's flags must stay consistent, and every
// file the window says it saved must be a valid WAVE file.
#include "CEngineMciPort.h"
#include "DialogRunner.h"
#include "EngineTestSupport.h"
#include "RecorderHarness.h"
#include "WaveBytes.h"
#include <random>

namespace {
std::string FlagsOf(const CWaveDevice& w)
{
    return "rec=" + std::to_string(w.m_bRecording) + " play=" + std::to_string(w.m_bPlaying) +
           " pause=" + std::to_string(w.m_bPaused) + " ready=" + std::to_string(w.m_bReady) +
           " id=" + std::to_string(w.m_wDeviceID);
}

bool IsValidWave(const std::string& path, std::string& why)
{
    std::vector<char> bytes = EngineReadFile(path);
    wave::WaveLayout layout;
    const wave::WaveError error = wave::ParseWave(bytes.data(), bytes.size(), layout);
    why = wave::WaveErrorName(error);
    return error == wave::WaveError::None;
}

TEST(RandomisedRecorder, ThousandsOfRandomActionsKeepTheDeviceConsistentAndFilesValid)
{
    CEngineMciPort engine;   // the program's own device, as the program puts it in place
    ScopedMciPort portScope(&engine);
    RecordingUiSeam ui;   // the window's boxes and the device's, recorded instead of shown
    ScopedUiSeam uiScope(&ui);
    CEngineScratchDir scratch;
    const std::string corrupt = scratch.Path("corrupt.wav");
    EngineWriteFile(corrupt, "RIFF\x10\0\0\0WAVEjunk", 16);

    const unsigned seed = 20261207;
    std::mt19937 random(seed);
    std::vector<std::string> saved;
    int actions = 0;

    {
    CRecorderDlg dlg;
    RunModal(dlg, [&](HWND h) {
        for (actions = 0; actions < 3000; ++actions) {
            const int kind = static_cast<int>(random() % 12);
            const std::string name = scratch.Path("take" + std::to_string(random() % 4) + ".wav");
            switch (kind) {
            case 0: ::SendMessageA(h, WM_COMMAND, ID_RECORD, 0); break;
            case 1: ::SendMessageA(h, WM_COMMAND, ID_STOP, 0); break;
            case 2: ::SendMessageA(h, WM_COMMAND, ID_PLAY, 0); break;
            case 3: ::SendMessageA(h, WM_COMMAND, ID_PAUSE, 0); break;
            case 4: {
                ::SetDlgItemTextA(h, IDC_FILENAME, random() % 8 ? name.c_str() : "");
                const size_t before = ui.boxes.size();
                ::SendMessageA(h, WM_COMMAND, ID_SAVE, 0);
                // Whatever the window claims it saved must be there, whole (checked at the end).
                if (ui.boxes.size() > before && ui.boxes.back().caption == "Sound File Saved!")
                    saved.push_back(name);
                break;
            }
            case 5: {
                const int pick = static_cast<int>(random() % 4);
                ui.chooserAnswer = pick == 0 ? "" : pick == 1 ? corrupt : pick == 2 ? scratch.Path("new.wav")
                                 : (saved.empty() ? name : saved[random() % saved.size()]);
                ::SendMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
                break;
            }
            case 6: {
                NMHDR header = { ::GetDlgItem(h, IDC_SLIDER), IDC_SLIDER, static_cast<UINT>(NM_RELEASEDCAPTURE) };
                ::SendMessageA(h, WM_NOTIFY, IDC_SLIDER, reinterpret_cast<LPARAM>(&header));
                break;
            }
            case 7: ::SendMessageA(h, WM_TIMER, TIMER_POSITION, 0); break;
            case 8: {
                const WPARAM codes[] = { MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_ABORTED,
                                         MCI_NOTIFY_FAILURE };
                ::SendMessageA(h, MM_MCINOTIFY, codes[random() % 4], dlg.m_wave.m_wDeviceID);
                break;
            }
            default: PumpMessages(random() % 20); break;   // real ticks and notices arrive
            }
            const CWaveDevice& w = dlg.m_wave;
            ASSERT_FALSE(w.m_bRecording && (w.m_bPlaying || w.m_bPaused)) << FlagsOf(w) << " after " << actions;
            ASSERT_FALSE(w.m_bPlaying && w.m_bPaused) << FlagsOf(w) << " after " << actions;
            ASSERT_FALSE(w.m_bRecording && w.m_bReady) << FlagsOf(w) << " after " << actions;
            ASSERT_FALSE(w.m_wDeviceID == 0 && (w.m_bReady || w.m_bRecording || w.m_bPlaying || w.m_bPaused))
                << FlagsOf(w) << " after " << actions;
        }
        ::SendMessageA(h, WM_COMMAND, ID_STOP, 0);
    });
    }   // the window and its device are gone here

    EXPECT_EQ(3000, actions) << "seed " << seed;
    EXPECT_FALSE(saved.empty());
    for (const std::string& path : saved) {
        std::string why;
        EXPECT_TRUE(IsValidWave(path, why)) << path << ": " << why;
    }
    // The engine leaves no takes behind once its devices are closed.
    EXPECT_TRUE(EngineTakeFiles().empty());
}
}
