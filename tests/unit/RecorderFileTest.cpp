// The "..." file choice and the Save command on the real window.
#include "RecorderHarness.h"
#include "CWinApp.h"

namespace {
class FileChoice : public RecorderHarness {
protected:
    void Forget() { port.sent.clear(); ui.boxes.clear(); }
};

TEST_F(FileChoice, ChooserIsTheSaveChooserStartingInTheProgramFolder)
{
    CWinApp app;   // with no owner given, the application's main window owns the chooser
    app.m_pMainWnd = &dlg;
    Run([&](HWND h) {
        Forget();
        ::SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
        ASSERT_EQ(1u, ui.choosers.size());
        EXPECT_EQ("Wave Files (*.WAV) |*.WAV|", ui.chooserFilters[0]);
        std::string folder = ModuleFolder();
        folder.pop_back();
        EXPECT_EQ(folder, ui.chooserInitialDirs[0]);
        const DWORD flags = ui.choosers[0].Flags;
        EXPECT_TRUE(flags & OFN_HIDEREADONLY);
        EXPECT_FALSE(flags & (OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST));
        EXPECT_EQ(nullptr, ui.choosers[0].lpstrDefExt);
        EXPECT_EQ(h, ui.choosers[0].hwndOwner);
        // Cancelled: nothing changes.
        EXPECT_TRUE(port.sent.empty());
        EXPECT_EQ(ModuleFolder() + "sample.wav", ItemText(h, IDC_FILENAME));
    });
}

TEST_F(FileChoice, ANameWithNoEndInTheChoosersBufferCountsAsCancelled)
{
    Run([&](HWND h) {
        Forget();
        ui.chooserAnswer = "C:\\takes\\voice.wav";
        ui.chooserFillsWholeBuffer = true;
        ::SendMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
        EXPECT_TRUE(port.sent.empty()) << "no made-up name may be opened";
        EXPECT_EQ(ModuleFolder() + "sample.wav", ItemText(h, IDC_FILENAME));
    });
}

TEST_F(FileChoice, ChosenFileIsOpenedAndItsFormatAndLengthShown)
{
    Run([&](HWND h) {
        Forget();
        ui.chooserAnswer = "C:\\takes\\voice";
        port.statusAnswers[MCI_WAVE_STATUS_CHANNELS] = 1;
        port.statusAnswers[MCI_WAVE_STATUS_SAMPLESPERSEC] = 22050;
        port.statusAnswers[MCI_WAVE_STATUS_BITSPERSAMPLE] = 8;
        AnswerLength(61500);
        ::SendDlgItemMessageA(h, IDC_SLIDER, TBM_SETPOS, TRUE, 5);
        ::SendMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
        EXPECT_EQ("C:\\takes\\voice", ItemText(h, IDC_FILENAME));   // no extension added
        ASSERT_EQ(1u, port.Count(MCI_OPEN));
        EXPECT_EQ("C:\\takes\\voice", port.Sent(MCI_OPEN)[0].element);
        EXPECT_EQ("Mono", Selected(h, IDC_CHANNELS));
        EXPECT_EQ("22050 Hz", Selected(h, IDC_SAMPLERATE));
        EXPECT_EQ("8 bits", Selected(h, IDC_BITS));
        EXPECT_EQ(615, SliderMax(h));
        EXPECT_EQ(0, SliderPos(h));
        EXPECT_EQ("00:01:01", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("00:00:00", ItemText(h, IDC_POSITION));
        // The next take gets the format of the file.
        Forget();
        Command(h, ID_RECORD);
        EXPECT_EQ(22050u, port.Sent(MCI_SET)[1].wave.nSamplesPerSec);
        EXPECT_EQ(1, port.Sent(MCI_SET)[1].wave.nChannels);
    });
}

TEST_F(FileChoice, FormatsWithoutAnEntryKeepTheLists)
{
    Run([&](HWND h) {
        ui.chooserAnswer = "C:\\odd.wav";
        port.statusAnswers[MCI_WAVE_STATUS_CHANNELS] = 4;          // any count but 1: Stereo
        port.statusAnswers[MCI_WAVE_STATUS_SAMPLESPERSEC] = 48000;  // not listed
        port.statusAnswers[MCI_WAVE_STATUS_BITSPERSAMPLE] = 24;     // not listed
        ::SendDlgItemMessageA(h, IDC_CHANNELS, CB_SETCURSEL, 1, 0);
        ::SendDlgItemMessageA(h, IDC_SAMPLERATE, CB_SETCURSEL, 2, 0);
        ::SendMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
        EXPECT_EQ("Stereo", Selected(h, IDC_CHANNELS));
        EXPECT_EQ("11025 Hz", Selected(h, IDC_SAMPLERATE));
        EXPECT_EQ("16 bits", Selected(h, IDC_BITS));
    });
}

TEST_F(FileChoice, FileThatCannotBeOpenedKeepsTheNameAndTheDisplay)
{
    AnswerLength(4000);
    Run([&](HWND h) {
        dlg.ShowLength(4000);
        ui.chooserAnswer = "C:\\new-name.wav";
        port.FailNext(MCI_OPEN, MCIERR_FILE_NOT_FOUND);
        ::SendMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
        EXPECT_EQ(1u, ui.boxes.size());
        EXPECT_EQ("C:\\new-name.wav", ItemText(h, IDC_FILENAME));
        EXPECT_EQ("00:00:04", ItemText(h, IDC_LENGTH));
        EXPECT_EQ(40, SliderMax(h));
        EXPECT_FALSE(dlg.m_wave.m_bReady);
    });
}

TEST_F(FileChoice, ChoosingAFileEndsWhatWasShownRunning)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_PLAY);
        ASSERT_TRUE(PumpUntil([&] { return Status(h) == "   Playing..."; }, 2000));
        ui.chooserAnswer = "C:\\takes\\other.wav";
        ::SendMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
        ::SetDlgItemTextA(h, IDC_POSITION, "kept");
        PumpMessages(400);   // the play's 100 ms ticks would rewrite both
        EXPECT_EQ("kept", ItemText(h, IDC_POSITION));
        EXPECT_EQ("   Stopped", Status(h));

        // With nothing running, a choice leaves the status alone.
        dlg.ShowStatus(IDS_RECORDED);
        ::SendMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
        EXPECT_EQ("   Sound was recorded, use Save to save in file", Status(h));
    });
}

TEST_F(FileChoice, SaveWritesUnderTheTypedNameAndConfirmsIt)
{
    Run([&](HWND h) {
        ::SetDlgItemTextA(h, IDC_FILENAME, "bare");
        Forget();
        Command(h, ID_SAVE);
        ASSERT_EQ(1u, port.Count(MCI_SAVE));
        EXPECT_EQ("bare", port.Sent(MCI_SAVE)[0].fileName);
        ASSERT_EQ(1u, ui.boxes.size());
        EXPECT_EQ("Saved at the followin location: bare", ui.boxes[0].text);
        EXPECT_EQ("Sound File Saved!", ui.boxes[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), ui.boxes[0].type);
        EXPECT_EQ(nullptr, ui.boxes[0].owner);
    });
}

// Keys as the keyboard sends them, over the whole field: the field then knows the user changed it.
void Type(HWND h, const char* text)
{
    HWND field = ::GetDlgItem(h, IDC_FILENAME);
    ::SendMessageA(field, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; ++c)
        ::SendMessageA(field, WM_CHAR, static_cast<unsigned char>(*c), 0);
}

TEST_F(FileChoice, ATypedNameOutlivesEveryRefreshAndIsTheNameSaved)
{
    // One window throughout: each case types a name the window does not hold yet, so that a
    // refresh putting the held name back would show.
    struct Case {
        const char* typed;
        std::function<void(HWND)> beforeTyping, afterTyping;
        const char* saved;   // nullptr: the typed name
    };
    const auto nothing = [](HWND) {};
    const auto stop = [&](HWND h) { Command(h, ID_STOP); Notice(h, MCI_NOTIFY_SUCCESSFUL); };
    const Case cases[] = {
        { "C:\\takes\\before record.wav", nothing, [&](HWND h) { Click(ID_RECORD); Tick(h); stop(h); }, nullptr },
        { "C:\\takes\\while recording.wav", [&](HWND h) { Click(ID_RECORD); },
          [&](HWND h) { Tick(h); Tick(h); stop(h); }, nullptr },
        { "C:\\takes\\while playing.wav", [&](HWND h) { Command(h, ID_PLAY); },
          [&](HWND h) { Tick(h); Click(ID_PAUSE); Tick(h); Click(ID_PAUSE); Tick(h); stop(h); }, nullptr },
        { "C:\\takes\\before release.wav", nothing, [&](HWND h) { ReleaseSlider(h); }, nullptr },
        { "C:\\takes\\typed over.wav", nothing,
          [&](HWND h) { ui.chooserAnswer = "C:\\takes\\chosen.wav"; Command(h, IDC_BROWSE); },
          "C:\\takes\\chosen.wav" },
    };
    Run([&](HWND h) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.typed);
            const std::string saved = c.saved ? c.saved : c.typed;
            c.beforeTyping(h);
            Type(h, c.typed);
            c.afterTyping(h);
            EXPECT_EQ(saved, ItemText(h, IDC_FILENAME));
            Forget();
            Command(h, ID_SAVE);
            ASSERT_EQ(1u, port.Count(MCI_SAVE));
            EXPECT_EQ(saved, port.Sent(MCI_SAVE)[0].fileName);
            ASSERT_EQ(1u, ui.boxes.size());
            EXPECT_EQ("Saved at the followin location: " + saved, ui.boxes[0].text);
        }
    });
}

// These tests run in code page 1252, as on Windows before 10 1903 (without the manifest's UTF-8).
TEST_F(FileChoice, ANameTheCodePageCannotHoldIsRefusedNeverSavedOrOpenedUnderALookAlike)
{
    ASSERT_NE(static_cast<UINT>(CP_UTF8), ::GetACP()) << "the unit tests must run without the program's manifest";
    // Put into the field as dictation or a paste puts it, or chosen in the chooser.
    const struct { const wchar_t* field; const char* chosen; bool refused; } cases[] = {
        { L"C:\\takes\\Запись 録音.wav", nullptr, true },    // would reach the device as "?"
        { L"C:\\café\\Łódź.wav", nullptr, true },            // would be saved as "Lodz.wav"
        { L"C:\\café\\take.wav", nullptr, false },           // "é" is in the code page
        { nullptr, "C:\\Запись\\録音.wav", true },
        { nullptr, "C:\\café\\Łódź.wav", true },
        { nullptr, "C:\\café\\take.wav", false },
    };
    Run([&](HWND h) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.chosen ? std::string("chosen ") + c.chosen : "in the field");
            const std::string shown = ItemText(h, IDC_FILENAME);
            Forget();
            if (c.field) {
                ::SetWindowTextW(::GetDlgItem(h, IDC_FILENAME), c.field);
                Command(h, ID_SAVE);
            } else {
                ui.chooserAnswer = c.chosen;
                Command(h, IDC_BROWSE);
            }
            if (!c.refused) {
                const UINT command = c.field ? MCI_SAVE : MCI_OPEN;
                ASSERT_EQ(1u, port.Count(command));
                EXPECT_EQ("C:\\caf\xE9\\take.wav", c.field ? port.Sent(command)[0].fileName : port.Sent(command)[0].element);
                continue;
            }
            EXPECT_TRUE(port.sent.empty()) << "nothing may be saved or opened under another name";
            ASSERT_EQ(1u, ui.boxes.size());
            EXPECT_EQ("Unsupported File Name", ui.boxes[0].caption);
            EXPECT_EQ("This file name holds characters that the system cannot pass to Vorsel.\n"
                      "Choose a name without them.", ui.boxes[0].text);
            if (c.chosen) {
                EXPECT_EQ(shown, ItemText(h, IDC_FILENAME)) << "a refused choice leaves the field as it was";
            }
        }
    });
}

TEST_F(FileChoice, EmptyNameAsksForOneAndFocusesTheField)
{
    Run([&](HWND h) {
        ::SetDlgItemTextA(h, IDC_FILENAME, "");
        ::SetFocus(::GetDlgItem(h, IDC_BROWSE));
        Forget();
        Command(h, ID_SAVE);
        EXPECT_TRUE(port.sent.empty());
        ASSERT_EQ(1u, ui.boxes.size());
        EXPECT_EQ("Please enter a filename\nin a form C:\\myfiles\\recording.wav", ui.boxes[0].text);
        EXPECT_EQ("Enter File Name", ui.boxes[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), ui.boxes[0].type);
        EXPECT_EQ(::GetDlgItem(h, IDC_FILENAME), ::GetFocus());
    });
}

TEST_F(FileChoice, FailedSaveShowsTheDeviceBoxThenTheErrorBox)
{
    Run([&](HWND h) {
        ::SetDlgItemTextA(h, IDC_FILENAME, "Q:\\no such folder\\x.wav");
        Forget();
        port.FailNext(MCI_SAVE, MCIERR_FILE_NOT_SAVED);
        Command(h, ID_SAVE);
        ASSERT_EQ(2u, ui.boxes.size());
        EXPECT_EQ("device error 286", ui.boxes[0].text);
        EXPECT_EQ("Error when saving file!", ui.boxes[1].text);
        EXPECT_EQ("Error", ui.boxes[1].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), ui.boxes[1].type);
        EXPECT_TRUE(dlg.m_wave.m_bReady);   // the content is kept for another try
    });
}

TEST_F(FileChoice, SaveNeverClaimsSuccessWithNothingToSave)
{
    port.FailNext(MCI_OPEN, MCIERR_FILE_NOT_FOUND);   // start-up opens nothing
    Run([&](HWND h) {
        Forget();
        Command(h, ID_SAVE);
        EXPECT_EQ(0u, port.Count(MCI_SAVE));
        ASSERT_EQ(1u, ui.boxes.size());
        EXPECT_EQ("Nothing to Save", ui.boxes[0].caption);
        EXPECT_EQ(std::string::npos, ui.boxes[0].text.find("Saved at"));

        Command(h, ID_RECORD);
        Forget();
        Command(h, ID_SAVE);
        EXPECT_EQ(0u, port.Count(MCI_SAVE));
        ASSERT_EQ(1u, ui.boxes.size());
        EXPECT_EQ("Recording in Progress", ui.boxes[0].caption);
        EXPECT_NE(std::string::npos, ui.boxes[0].text.find("Stop it first"));
        EXPECT_TRUE(dlg.m_wave.m_bRecording);   // the recording goes on
    });
}
// A save that copies keeps the window alive: it paints and answers, shows how far the copy is,
// takes no command meanwhile, and keeps a close for the end of the save.
TEST_F(FileChoice, ACopyingSaveShowsItsProgressAndPutsACloseOffUntilItsEnd)
{
    struct Seen { DWORD percent; BOOL enabled; std::string status; };
    std::vector<Seen> seen;
    const INT_PTR ended = RunModal(dlg, [&](HWND h) {
        Command(h, ID_PLAY);
        Tick(h);
        port.saveProgress = { 0, 40, 100 };
        port.whileSaving = [&](DWORD percent) {
            seen.push_back({ percent, ::IsWindowEnabled(h), Status(h) });
            if (percent == 0) {
                ::PostMessageA(h, WM_TIMER, TIMER_POSITION, 0);   // a tick still runs, under the progress
                ::PostMessageA(h, WM_CLOSE, 0, 0);
                ::PostMessageA(h, WM_COMMAND, ID_STOP, 0);
            }
        };
        Forget();
        Command(h, ID_SAVE);
        ASSERT_EQ(3u, seen.size());
        for (const Seen& s : seen) {
            EXPECT_FALSE(s.enabled) << s.percent;
            EXPECT_EQ("   Saving... " + std::to_string(s.percent) + "%", s.status);
        }
        EXPECT_TRUE(::IsWindowVisible(h)) << "the window waits for the save before it closes";
        EXPECT_TRUE(::IsWindowEnabled(h));
        EXPECT_EQ("   Playing...", Status(h)) << "the status the save stood in for";
        EXPECT_EQ(0u, port.Count(MCI_STOP)) << "no command runs during the save";
        ASSERT_EQ(1u, ui.boxes.size());
        EXPECT_EQ("Sound File Saved!", ui.boxes[0].caption);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(h); }, 2000)) << "the close comes once the save is done";
    });
    EXPECT_EQ(IDCANCEL, ended);
}

TEST_F(FileChoice, TheSessionEndingStopsACopyingSaveAndWaitsForNoBox)
{
    Run([&](HWND h) {
        port.saveProgress = { 0, 40, 100 };
        std::vector<LRESULT> mayEnd;
        port.whileSaving = [&](DWORD percent) {
            if (percent == 0) {
                mayEnd.push_back(::SendMessageA(h, WM_QUERYENDSESSION, 0, 0));
                ::SendMessageA(h, WM_ENDSESSION, TRUE, 0);
            }
        };
        Forget();
        Command(h, ID_SAVE);
        EXPECT_EQ(std::vector<LRESULT>{ FALSE }, mayEnd) << "a copying save asks the session to wait";
        EXPECT_EQ(2u, port.yieldAnswers.size()) << "the copy is asked to stop at its next step";
        EXPECT_EQ(FALSE, port.yieldAnswers.back());
        for (const ShownBox& box : ui.boxes)
            EXPECT_NE("Error", box.caption) << "nobody reads the window's boxes as the session ends";
    });
}
}
