// A take that no Save has written is never given up without the user's word: every way of
// closing the window asks first, and the "..." chooser names the take rather than discarding it.
#include "RecorderHarness.h"

namespace {
const char CLOSE_QUESTION[] = "The recording has not been saved.\nDiscard it and close Vorsel?";
const UINT QUESTION = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

// A file that exists for the length of a test.
class ExistingFile {
public:
    ExistingFile()
    {
        char folder[MAX_PATH];
        ::GetTempPathA(MAX_PATH, folder);
        ::GetTempFileNameA(folder, "vtk", 0, m_path);
    }
    ~ExistingFile() { ::DeleteFileA(m_path); }
    const char* Path() const { return m_path; }

private:
    char m_path[MAX_PATH];
};

bool ShownOpen(HWND h)
{
    return ::IsWindow(h) && ::IsWindowVisible(h);
}

class UnsavedTake : public RecorderHarness {
protected:
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
                PumpUntil([&] { return !ShownOpen(h) || !ui.boxes.empty(); }, 500);
                const bool asked = take == Take::RunningAnswerNo || take == Take::StoppedAnswerYes;
                ASSERT_EQ(asked ? 1u : 0u, ui.boxes.size());
                if (asked) {
                    EXPECT_EQ(CLOSE_QUESTION, ui.boxes[0].text);
                    EXPECT_EQ("Vorsel", ui.boxes[0].caption);
                    EXPECT_EQ(QUESTION, ui.boxes[0].type);
                    EXPECT_EQ(h, ui.boxes[0].owner);
                }
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

TEST_F(UnsavedTake, TheEndOfTheSessionIsNotHeldByAQuestion)
{
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        EXPECT_TRUE(::SendMessageA(h, WM_QUERYENDSESSION, 0, 0));
        ::SendMessageA(h, WM_ENDSESSION, TRUE, 0);
        EXPECT_TRUE(ui.boxes.empty());
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
    const ExistingFile file;
    const std::string question =
        std::string("Open ") + file.Path() + "? The recording has not been saved and will be discarded.";
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        Command(h, ID_STOP);
        const std::string field = ItemText(h, IDC_FILENAME);
        port.sent.clear();
        ui.answers = { IDNO };
        Choose(h, file.Path());
        ASSERT_EQ(1u, ui.boxes.size());
        EXPECT_EQ(question, ui.boxes[0].text);
        EXPECT_EQ("Vorsel", ui.boxes[0].caption);
        EXPECT_EQ(QUESTION, ui.boxes[0].type);
        EXPECT_EQ(h, ui.boxes[0].owner);
        EXPECT_TRUE(port.sent.empty());
        EXPECT_EQ(field, ItemText(h, IDC_FILENAME));
        EXPECT_TRUE(dlg.m_wave.m_bReady) << "the take is kept";

        ui.boxes.clear();
        ui.answers = { IDYES };
        Choose(h, file.Path());
        EXPECT_EQ(1u, ui.boxes.size());
        ASSERT_EQ(1u, port.Count(MCI_OPEN));
        EXPECT_EQ(file.Path(), port.Sent(MCI_OPEN)[0].element);
        EXPECT_EQ(file.Path(), ItemText(h, IDC_FILENAME));
        ui.boxes.clear();
        Command(h, ID_EXIT);   // the take was given up for the file: nothing to ask
        EXPECT_TRUE(ui.boxes.empty());
    });
}

TEST_F(UnsavedTake, GivingTheTakeUpForAFileThatFailsEndsWhatWasShownRunning)
{
    const ExistingFile file;
    Run([&](HWND h) {
        Click(ID_RECORD);
        PumpUntil([&] { return Status(h) == "   Recording..."; }, 1500);
        port.FailNext(MCI_OPEN, MCIERR_INVALID_FILE);
        Choose(h, file.Path());
        ::SetDlgItemTextA(h, IDC_LENGTH, "kept");
        PumpMessages(1300);   // the take's 1 s ticks would rewrite it
        EXPECT_EQ("kept", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("   Stopped", Status(h));
        EXPECT_FALSE(Pressed(ID_RECORD));
    });
}
}
