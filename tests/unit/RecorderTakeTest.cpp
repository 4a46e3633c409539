// A take that no Save has written is never given up without the user's word: every way of
// closing the window asks first, and the "..." chooser names the take rather than discarding it.
#include "EngineTestSupport.h"
#include "RecorderHarness.h"

namespace {
const char CLOSE_QUESTION[] = "The recording has not been saved.\nDiscard it and close Vorsel?";
const char RECORD_QUESTION[] = "The recording has not been saved.\nDiscard it and record a new one?";
const char LIMIT_WARNING[] =
    "The recording reached the largest size a WAVE file can hold and was stopped. Save it to keep it.";
const UINT QUESTION = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

// The window's own question: its caption, Yes and No with No the default, owned by the window.
void ExpectQuestion(const ShownBox& box, const std::string& text, HWND window)
{
    EXPECT_EQ(text, box.text);
    EXPECT_EQ("Vorsel", box.caption);
    EXPECT_EQ(QUESTION, box.type);
    EXPECT_EQ(window, box.owner);
}

bool ShownOpen(HWND h)
{
    return ::IsWindow(h) && ::IsWindowVisible(h);
}

class UnsavedTake : public RecorderHarness {
protected:
    // A stopped take holds sound: one that holds none is nothing to lose.
    void SetUp() override { AnswerLength(5000); }
    // A file that exists for the length of the test.
    std::string ExistingFile()
    {
        const std::string path = dir.Path("existing.wav");
        EXPECT_TRUE(EngineWriteFile(path, "", 0));
        return path;
    }
    CEngineScratchDir dir;

    void Choose(HWND h, const std::string& path)
    {
        ui.chooserAnswer = path;
        ::SendMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
    }
};

// Exit, Esc, Alt+F4 or the close box, and Enter in the file name field.
struct ClosingPath {
    const char* name;
    UINT message;
    WPARAM wParam;
};
const ClosingPath CLOSING_PATHS[] = {
    { "Exit", WM_COMMAND, ID_EXIT },
    { "Esc", WM_COMMAND, IDCANCEL },
    { "close box, Alt+F4", WM_SYSCOMMAND, SC_CLOSE },
    { "Enter", WM_COMMAND, IDOK },
};

enum class Take { None, RunningAnswerNo, StoppedAnswerYes, Saved };

TEST_F(UnsavedTake, EveryClosingPathAsksFirstWhileATakeIsUnsaved)
{
    const Take takes[] = { Take::None, Take::RunningAnswerNo, Take::StoppedAnswerYes, Take::Saved };
    for (const ClosingPath& path : CLOSING_PATHS) {
        for (Take take : takes) {
            SCOPED_TRACE(std::string(path.name) + ", take " + std::to_string(static_cast<int>(take)));
            ui.boxes.clear();
            ui.answers = { take == Take::RunningAnswerNo ? IDNO : IDYES };
            CRecorderDlg window;
            RunModal(window, [&](HWND h) {
                if (take != Take::None)
                    Command(h, ID_RECORD);
                if (take == Take::StoppedAnswerYes || take == Take::Saved)
                    Command(h, ID_STOP);
                if (take == Take::Saved) {
                    ::SetDlgItemTextA(h, IDC_FILENAME, "C:\\takes\\kept.wav");
                    Command(h, ID_SAVE);
                    ui.boxes.clear();
                }
                ::PostMessageA(h, path.message, path.wParam, 0);
                PumpUntil([&] { return !ShownOpen(h) || !ui.boxes.empty(); }, 2000);
                const bool asked = take == Take::RunningAnswerNo || take == Take::StoppedAnswerYes;
                ASSERT_EQ(asked ? 1u : 0u, ui.boxes.size());
                if (asked)
                    ExpectQuestion(ui.boxes[0], CLOSE_QUESTION, h);
                if (take != Take::RunningAnswerNo) {
                    EXPECT_FALSE(ShownOpen(h));
                    return;
                }
                // No: everything as it was, the take recording and its ticks going on.
                EXPECT_TRUE(ShownOpen(h));
                EXPECT_TRUE(window.m_wave.m_bRecording);
                EXPECT_TRUE(PumpUntil([&] { return Status(h) == "   Recording..."; }, 1500));
            });
        }
    }
}

enum class Before { RunningTake, StoppedTake, SavedTake, OpenedFile };

TEST_F(UnsavedTake, RecordAsksFirstWhileATakeIsUnsavedAndNoKeepsEverything)
{
    const std::string file = ExistingFile();
    for (Before before : { Before::RunningTake, Before::StoppedTake, Before::SavedTake, Before::OpenedFile }) {
        for (int answer : { IDYES, IDNO }) {
            SCOPED_TRACE(testing::Message() << "before " << static_cast<int>(before) << ", answer " << answer);
            CRecorderDlg window;
            RunModal(window, [&](HWND h) {
                if (before == Before::OpenedFile) {
                    Choose(h, file);
                } else {
                    Click(window, ID_RECORD);
                    if (before != Before::RunningTake)
                        Command(h, ID_STOP);
                    if (before == Before::SavedTake) {
                        ::SetDlgItemTextA(h, IDC_FILENAME, "C:\\takes\\kept.wav");
                        Command(h, ID_SAVE);
                    }
                }
                const bool recording = window.m_wave.m_bRecording;
                const UINT device = window.m_wave.m_wDeviceID;
                ui.boxes.clear();
                ui.answers = { answer };
                port.sent.clear();
                Click(window, ID_RECORD);

                const bool asked = before == Before::RunningTake || before == Before::StoppedTake;
                ASSERT_EQ(asked ? 1u : 0u, ui.boxes.size());
                if (asked)
                    ExpectQuestion(ui.boxes[0], RECORD_QUESTION, h);
                if (asked && answer == IDNO) {
                    EXPECT_TRUE(port.sent.empty()) << "nothing stopped, closed or opened";
                    EXPECT_EQ(device, window.m_wave.m_wDeviceID);
                    EXPECT_EQ(recording, bool(window.m_wave.m_bRecording));
                    EXPECT_EQ(recording, bool(window.m_wndToolBar.IsButtonChecked(ID_RECORD)));
                } else {
                    EXPECT_EQ(1u, port.Count(MCI_RECORD)) << "a new take";
                    EXPECT_TRUE(window.m_wave.m_bRecording);
                    EXPECT_EQ(!recording, bool(window.m_wndToolBar.IsButtonChecked(ID_RECORD))) << "as the click left it";
                }
                ui.answers = { IDYES };
            });
        }
    }
}

// A take ends by itself only at the largest size a WAVE file can hold, or when the input fails;
// one that failed before the input delivered anything never began, and leaves nothing to lose.
TEST_F(UnsavedTake, ATakeThatEndsByItselfSaysWhy)
{
    struct Case {
        WPARAM code;
        DWORD length;
        std::string text;
        bool ownedByWindow;
        bool unsaved;
    };
    const Case cases[] = {
        { MCI_NOTIFY_SUCCESSFUL, 60000, LIMIT_WARNING, true, true },
        { MCI_NOTIFY_FAILURE, 0, "device error " + std::to_string(MCIERR_DEVICE_NOT_READY), false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ui.boxes.clear();
        AnswerLength(c.length);
        CRecorderDlg window;
        RunModal(window, [&](HWND h) {
            Command(h, ID_RECORD);
            ::SendMessageA(h, MM_MCINOTIFY, c.code, window.m_wave.m_wDeviceID);
            EXPECT_FALSE(window.m_wave.m_bRecording);
            EXPECT_EQ("   Sound was recorded, use Save to save in file", Status(h));
            ASSERT_EQ(1u, ui.boxes.size());
            EXPECT_EQ(c.text, ui.boxes[0].text);
            EXPECT_EQ(UINT(MB_ICONWARNING), ui.boxes[0].type);
            EXPECT_EQ(c.ownedByWindow ? h : nullptr, ui.boxes[0].owner);
            ui.boxes.clear();
            ui.answers = { IDNO };
            Command(h, ID_EXIT);
            ASSERT_EQ(c.unsaved ? 1u : 0u, ui.boxes.size()) << "closing asks only for a take that holds sound";
            ui.answers = { IDYES };
        });
    }
}

TEST_F(UnsavedTake, TheEndOfTheSessionEndsTheTakeWithoutAQuestion)
{
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        EXPECT_TRUE(::SendMessageA(h, WM_QUERYENDSESSION, 0, 0));
        ::SendMessageA(h, WM_ENDSESSION, TRUE, 0);
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(1u, port.Count(MCI_STOP)) << "the take's file is made whole before the process goes";
        EXPECT_FALSE(dlg.m_wave.m_bRecording);
    });
}

TEST_F(UnsavedTake, ANewNameFromTheChooserNamesTheTakeWithoutOpeningAnything)
{
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        PumpUntil([&] { return Status(h) == "   Recording..."; }, 1500);
        port.sent.clear();
        Choose(h, "C:\\takes\\no such take yet.wav");
        EXPECT_EQ("C:\\takes\\no such take yet.wav", ItemText(h, IDC_FILENAME));
        EXPECT_TRUE(port.sent.empty()) << "no open, no stop";
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_TRUE(dlg.m_wave.m_bRecording);
        EXPECT_EQ("   Recording...", Status(h));

        Command(h, ID_STOP);
        Command(h, ID_SAVE);
        ASSERT_EQ(1u, port.Count(MCI_SAVE));
        EXPECT_EQ("C:\\takes\\no such take yet.wav", port.Sent(MCI_SAVE)[0].fileName);
        ui.boxes.clear();
        ui.answers = { IDNO };
        Command(h, ID_EXIT);   // saved: nothing to ask
        EXPECT_TRUE(ui.boxes.empty());
    });
}

TEST_F(UnsavedTake, AnExistingFileFromTheChooserIsOpenedOnlyOnYes)
{
    const std::string file = ExistingFile();
    const std::string question = "Open " + file + "? The recording has not been saved and will be discarded.";
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        Command(h, ID_STOP);
        const std::string field = ItemText(h, IDC_FILENAME);
        port.sent.clear();
        ui.answers = { IDNO };
        Choose(h, file);
        ASSERT_EQ(1u, ui.boxes.size());
        ExpectQuestion(ui.boxes[0], question, h);
        EXPECT_TRUE(port.sent.empty());
        EXPECT_EQ(field, ItemText(h, IDC_FILENAME));
        EXPECT_TRUE(dlg.m_wave.m_bReady) << "the take is kept";

        ui.boxes.clear();
        ui.answers = { IDYES };
        Choose(h, file);
        EXPECT_EQ(1u, ui.boxes.size());
        ASSERT_EQ(1u, port.Count(MCI_OPEN));
        EXPECT_EQ(file, port.Sent(MCI_OPEN)[0].element);
        EXPECT_EQ(file, ItemText(h, IDC_FILENAME));
        ui.boxes.clear();
        Command(h, ID_EXIT);   // the take was given up for the file: nothing to ask
        EXPECT_TRUE(ui.boxes.empty());
    });
}

TEST_F(UnsavedTake, GivingTheTakeUpForAFileThatFailsEndsWhatWasShownRunning)
{
    const std::string file = ExistingFile();
    Run([&](HWND h) {
        Click(ID_RECORD);
        PumpUntil([&] { return Status(h) == "   Recording..."; }, 1500);
        port.FailNext(MCI_OPEN, MCIERR_INVALID_FILE);
        Choose(h, file);
        ::SetDlgItemTextA(h, IDC_LENGTH, "kept");
        PumpMessages(1300);   // the take's 1 s ticks would rewrite it
        EXPECT_EQ("kept", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("   Stopped", Status(h));
        EXPECT_FALSE(Pressed(ID_RECORD));
    });
}
}
