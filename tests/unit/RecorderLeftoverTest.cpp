// A take that an earlier Vorsel left is offered back once the window shows: Yes makes it the
// unsaved take, No asks again before it deletes the file, Cancel keeps it for the next start.
// A take that a running Vorsel holds, and one that holds no sound, are not offered; the ones
// with no sound that no Vorsel holds are deleted.
#include "EngineTestSupport.h"
#include "MciContract.h"
#include "RecorderHarness.h"

namespace {
const char NEWER[] = "2026-12-08 14-03-07";
const char OLDER[] = "2026-12-07 09-30-00";
const char OLDEST[] = "2026-12-06 18-00-00";
const char OFFER[] = "A recording was not saved when Vorsel last ended: 00:00:02 of 22050 Hz, Mono, 8 bits, "
                     "begun 2026-12-08 14:03. Open it?";
const char CLOSE_QUESTION[] = "The recording has not been saved.\nDiscard it and close Vorsel?";

enum class Left { ATake, None, HeldByAVorsel, NoSound, HeldNoSound };

class LeftoverTake : public RecorderHarness {
protected:
    void SetUp() override
    {
        port.statusAnswers[MCI_WAVE_STATUS_CHANNELS] = 1;
        port.statusAnswers[MCI_WAVE_STATUS_SAMPLESPERSEC] = 22050;
        port.statusAnswers[MCI_WAVE_STATUS_BITSPERSAMPLE] = 8;
        AnswerLength(2500);
    }
    void TearDown() override
    {
        for (const std::string& take : EngineTakeFiles())
            ::DeleteFileA(take.c_str());
    }

    // What the temporary folder holds at the start; a take a Vorsel holds is held until the end.
    HANDLE Leave(Left left)
    {
        TearDown();
        if (left == Left::None)
            return INVALID_HANDLE_VALUE;
        const bool silent = left == Left::NoSound || left == Left::HeldNoSound;
        const bool written = EngineWriteLeftTake(EngineTakePath(NEWER), silent ? 0 : 2.5, 1, 22050, 8, 0);
        // An older take waits for a later start; one older still ended before its header.
        EXPECT_TRUE(written && (left != Left::ATake || (EngineWriteLeftTake(EngineTakePath(OLDER), 4, 1, 22050, 8, 0) &&
                                                        EngineWriteFile(EngineTakePath(OLDEST), "", 0))));
        if (left != Left::HeldByAVorsel && left != Left::HeldNoSound)
            return INVALID_HANDLE_VALUE;
        // As a running Vorsel holds its take: with write access, sharing no writes.
        return ::CreateFileA(EngineTakePath(NEWER).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    }
};

TEST_F(LeftoverTake, TheNewestTakeLeftIsOfferedOnceAndEachAnswerDoesWhatItSays)
{
    const std::vector<int> answers[] = { { IDYES }, { IDNO, IDYES }, { IDNO, IDNO }, { IDCANCEL } };
    for (Left left : { Left::ATake, Left::None, Left::HeldByAVorsel, Left::NoSound, Left::HeldNoSound }) {
        for (const std::vector<int>& answer : answers) {
            SCOPED_TRACE(testing::Message() << "left " << static_cast<int>(left) << ", answers " << answer[0] << " "
                                            << answer.back());
            const HANDLE held = Leave(left);
            ui.boxes.clear();
            port.sent.clear();
            ui.answers.assign(answer.begin(), answer.end());
            const bool offered = left == Left::ATake;
            const bool opened = offered && answer[0] == IDYES;
            const bool deleted = offered && answer.size() == 2 && answer[1] == IDYES;
            CRecorderDlg window;
            RunModal(window, [&](HWND h) {
                ASSERT_EQ(!offered ? 0u : answer[0] == IDNO ? 2u : 1u, ui.boxes.size());
                if (offered) {
                    EXPECT_EQ(OFFER, ui.boxes[0].text);
                    EXPECT_EQ("Vorsel", ui.boxes[0].caption);
                    EXPECT_EQ(UINT(MB_YESNOCANCEL | MB_ICONQUESTION), ui.boxes[0].type);
                    EXPECT_EQ(h, ui.boxes[0].owner);
                    EXPECT_TRUE(ui.boxes[0].ownerShown) << "asked once the window shows";
                }
                if (ui.boxes.size() == 2) {
                    EXPECT_EQ("Delete this recording for good?", ui.boxes[1].text);
                    EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), ui.boxes[1].type);
                    EXPECT_EQ(h, ui.boxes[1].owner);
                }
                const std::vector<SentCommand> opens = port.Sent(MCI_OPEN);
                ASSERT_EQ(opened ? 2u : 1u, opens.size()) << "the start-up file, then the take";
                EXPECT_EQ(ModuleFolder() + "sample.wav", opens[0].element);
                EXPECT_EQ(0u, opens[0].flags & kWaveOpenTake);
                if (opened) {
                    EXPECT_EQ(EngineTakePath(NEWER), opens[1].element);
                    EXPECT_EQ(kWaveOpenTake, opens[1].flags & kWaveOpenTake) << "held as a take, not as a file";
                    EXPECT_EQ("22050 Hz", Selected(h, IDC_SAMPLERATE));
                    EXPECT_EQ("Mono", Selected(h, IDC_CHANNELS));
                    EXPECT_EQ("8 bits", Selected(h, IDC_BITS));
                    EXPECT_EQ("00:00:02", ItemText(h, IDC_LENGTH));
                    EXPECT_EQ(25, SliderMax(h));
                } else {
                    EXPECT_EQ("44100 Hz", Selected(h, IDC_SAMPLERATE));
                    EXPECT_EQ("00:00:00", ItemText(h, IDC_LENGTH));
                }
                // The take it opened is unsaved: closing asks, and No keeps it.
                ui.boxes.clear();
                ui.answers = { IDNO };
                Command(h, ID_EXIT);
                ASSERT_EQ(opened ? 1u : 0u, ui.boxes.size());
                if (opened) {
                    EXPECT_EQ(CLOSE_QUESTION, ui.boxes[0].text);
                }
                EXPECT_EQ(opened, bool(::IsWindow(h)));
                ui.answers = { IDYES };
            });
            if (held != INVALID_HANDLE_VALUE)
                ::CloseHandle(held);
            const bool inUse = left == Left::HeldByAVorsel || left == Left::HeldNoSound;
            EXPECT_EQ(inUse || (offered && !deleted), EngineFileExists(EngineTakePath(NEWER)));
            EXPECT_EQ(left == Left::ATake, EngineFileExists(EngineTakePath(OLDER))) << "one question per start";
            EXPECT_FALSE(EngineFileExists(EngineTakePath(OLDEST))) << "no sound, held by none";
        }
    }
}
}
