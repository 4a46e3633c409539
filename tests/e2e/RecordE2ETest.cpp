// The recorder end to end, from outside its process, with real sound through the session's
// PulseAudio null sink: record a tone, save it, play it back with pause and resume, open a
// file through the chooser, and the save mistakes a user can make.
#include "EngineCommands.h"
#include "EngineTestSupport.h"
#include "FormatTime.h"
#include "RecorderWindowDriver.h"
#include "WaveBytes.h"
#include "resource.h"
#include <commctrl.h>
#include <algorithm>

namespace {
class RecorderE2E : public EngineTest, protected RecorderWindowDriver {
protected:
    CEngineScratchDir scratch;

    using EngineTest::Status;
    using RecorderWindowDriver::Status;

    void SetUp() override { ASSERT_TRUE(Start()); }
    void TearDown() override { Quit(); }
};

TEST_F(RecorderE2E, RecordsTheToneSavesItAndPlaysItBackWithPauseAndResume)
{
    // 3.4 s of wall time; how much of it a loaded machine lets through varies.
    const LRESULT steps = RecordTake(3400);
    EXPECT_EQ(FormatTime(DWORD(steps) * 100), Item(IDC_LENGTH));
    EXPECT_NEAR(34, steps, 10);

    const std::string path = scratch.Path("take.wav");
    SetField(path);
    PostSave();
    Box box;
    ASSERT_TRUE(NextBox(box));
    EXPECT_EQ("Sound File Saved!", box.caption);
    EXPECT_EQ("Saved at the followin location: " + path, box.text);

    EngineWave wave;
    std::string why;
    ASSERT_TRUE(EngineReadCanonicalWave(path, wave, why)) << why;
    EXPECT_EQ(2, wave.channels);
    EXPECT_EQ(44100u, wave.rate);
    EXPECT_EQ(16, wave.bits);
    EXPECT_NEAR(steps / 10.0, wave.Seconds(), 0.1);   // the file holds what was shown
    EXPECT_NEAR(440.0, EngineDominantHz(wave.mono, wave.rate, 100, 2000), 3.0);
    EXPECT_LT(EngineLongestFlatRun(wave.mono, wave.rate), 0.01);

    // Play it back while this process records what comes out of the sink.
    CEngineNoticeWindow notices;
    const MCIDEVICEID listener = Open("");
    ASSERT_EQ(0u, SetFormat(listener, 1, 44100, 16));
    ASSERT_EQ(0u, Record(listener, notices.Handle()));
    Command(ID_PLAY);
    EXPECT_TRUE(StatusBecomes("   Playing..."));
    bool advanced = false;   // the position text follows the sound
    for (int i = 0; i < 60 && !advanced; ++i) {
        ::Sleep(50);
        advanced = Item(IDC_POSITION) == "00:00:01";
    }
    EXPECT_TRUE(advanced);
    Command(ID_PAUSE);
    ::Sleep(300);
    EXPECT_EQ("   Paused", Status());
    const std::string held = Item(IDC_POSITION);
    ::Sleep(1200);
    EXPECT_EQ(held, Item(IDC_POSITION));   // paused: the position holds
    Command(ID_PAUSE);   // resume
    EXPECT_TRUE(StatusBecomes("   Playing..."));
    // The end of the playback brings the recorded status back.
    EXPECT_TRUE(StatusBecomes(RECORDED, 6000));
    ASSERT_EQ(0u, Stop(listener));
    const std::string heard = scratch.Path("heard.wav");
    ASSERT_EQ(0u, Save(listener, heard));
    Close(listener);
    EngineWave monitor;
    ASSERT_TRUE(EngineReadCanonicalWave(heard, monitor, why)) << why;
    EXPECT_NEAR(440.0, EngineDominantHz(monitor.mono, monitor.rate, 100, 2000), 3.0);
}

// A save that must copy, here a file opened to another name, runs beside the window: the status
// line says how far it is, and the window answers all the while, disabled as under a box.
TEST_F(RecorderE2E, ACopyingSaveShowsItsProgressAndTheWindowAnswers)
{
    // An hour of 44.1 kHz stereo, its sound left unwritten (zeros) so that it takes no time to make.
    const std::string source = scratch.Path("hour.wav");
    const wave::WaveFormat format = wave::MakeWaveFormat(wave::MakePcmFormat(2, 44100, 16));
    const uint32_t bytes = 3600 * format.avgBytesPerSec;
    std::vector<uint8_t> header;
    ASSERT_TRUE(wave::BuildWaveHeader(format, bytes, header));
    const HANDLE file = ::CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    LARGE_INTEGER end;
    end.QuadPart = header.size() + bytes;
    const bool made = ::WriteFile(file, header.data(), DWORD(header.size()), &written, nullptr) &&
                      ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    ASSERT_TRUE(made);
    ASSERT_TRUE(ChooseFile(source));

    CEngineScratchDir elsewhere;
    const std::string target = elsewhere.Path("copy.wav");
    SetField(target);
    PostSave();
    std::vector<int> percents;
    bool disabled = false, answered = true;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 120000 && !OtherWindow(main, 0);) {
        const std::string status = Status();
        if (status.rfind("   Saving... ", 0) == 0) {
            percents.push_back(std::atoi(status.c_str() + 13));
            disabled = disabled || !::IsWindowEnabled(main);
        }
        DWORD_PTR result = 0;
        answered = answered && ::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
        ::Sleep(10);
    }
    Box box;
    ASSERT_TRUE(NextBox(box));
    EXPECT_EQ("Sound File Saved!", box.caption);
    ASSERT_FALSE(percents.empty()) << "the status line said nothing of the copy";
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_LE(percents.back(), 100);
    EXPECT_TRUE(disabled) << "the window took input during the copy";
    EXPECT_TRUE(answered) << "the window did not answer within 2 s during the copy";
    EXPECT_TRUE(::IsWindowEnabled(main));
    WIN32_FILE_ATTRIBUTE_DATA copied = {};
    ASSERT_TRUE(::GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &copied));
    EXPECT_EQ(end.QuadPart, (LONGLONG(copied.nFileSizeHigh) << 32) | copied.nFileSizeLow);
}

// Dictation and other tools set a field's text as a program does, with WM_SETTEXT: the name is
// the user's all the same, and no refresh may put the old one back.
TEST_F(RecorderE2E, ANameAnotherProgramPutsIntoTheFieldDuringPlayStaysThereAndIsSaved)
{
    Command(ID_PLAY);   // sample.wav, 2 s: a refresh every 100 ms
    ASSERT_TRUE(StatusBecomes("   Playing..."));
    const std::string dictated = scratch.Path("dictated name.wav");
    SetField(dictated);
    ::Sleep(1000);
    EXPECT_EQ(dictated, Item(IDC_FILENAME)) << "a refresh put the old name back";
    EXPECT_TRUE(StatusBecomes(RECORDED, 6000)) << "the play did not end";
    PostSave();
    Box box;
    ASSERT_TRUE(NextBox(box));
    EXPECT_EQ("Saved at the followin location: " + dictated, box.text);
    EXPECT_EQ(EngineReadFile(ProcessDriver::OwnFolder() + "sample.wav"), EngineReadFile(dictated));
}

TEST_F(RecorderE2E, ChoosingAFileShowsItsFormatAndLength)
{
    const std::string path = scratch.Path("voice.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 330, 2.5, 1, 22050, 8));
    HWND chooser = OpenChooser();
    ASSERT_NE(nullptr, chooser);
    EXPECT_FALSE(::IsWindowEnabled(main));   // the chooser is owned by the main window
    ASSERT_TRUE(TypeIntoChooser(chooser, path));
    bool shown = false;
    for (int i = 0; i < 80 && !shown; ++i) {
        ::Sleep(100);
        shown = Item(IDC_LENGTH) == "00:00:02";
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(path, Item(IDC_FILENAME));
    EXPECT_EQ("22050 Hz", Selected(IDC_SAMPLERATE));
    EXPECT_EQ("Mono", Selected(IDC_CHANNELS));
    EXPECT_EQ("8 bits", Selected(IDC_BITS));
    EXPECT_EQ(25, SliderMax());
}

TEST_F(RecorderE2E, SaveMistakesAreToldAndWriteNothing)
{
    SetField("");
    PostSave();
    Box box;
    ASSERT_TRUE(NextBox(box));
    EXPECT_EQ("Enter File Name", box.caption);
    EXPECT_EQ("Please enter a filename\nin a form C:\\myfiles\\recording.wav", box.text);

    const std::string missing = scratch.Path("no such folder\\take.wav");
    SetField(missing);
    PostSave();
    Box warning, error;
    ASSERT_TRUE(NextBox(warning));
    EXPECT_FALSE(warning.text.empty());   // the device's own text comes first
    ASSERT_TRUE(NextBox(error));
    EXPECT_EQ("Error", error.caption);
    EXPECT_EQ("Error when saving file!", error.text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(missing.c_str()));
    EXPECT_TRUE(scratch.Files().empty());
}

// A new user's natural actions keep the take: closing asks, the chooser names it, a crash
// leaves it in the temporary folder.
TEST_F(RecorderE2E, ATakeIsKeptThroughExitTheChooserAndACrash)
{
    CEngineTone tone(440, 20);
    ASSERT_TRUE(tone.Start());
    ::Sleep(400);
    Command(ID_RECORD);
    ::Sleep(3000);
    ::PostMessageA(main, WM_COMMAND, ID_EXIT, 0);
    Box question;
    ASSERT_TRUE(NextBox(question, nullptr, 8000, IDNO));
    EXPECT_EQ("Vorsel", question.caption);
    EXPECT_EQ("The recording has not been saved.\nDiscard it and close Vorsel?", question.text);
    EXPECT_EQ(main, question.owner);
    const std::string asked = Item(IDC_LENGTH);
    ::Sleep(2200);
    EXPECT_TRUE(app.Running());
    EXPECT_EQ("   Recording...", Status());
    EXPECT_GT(Item(IDC_LENGTH), asked) << "the take went on recording";

    Command(ID_STOP);
    const LRESULT steps = SliderMax();
    const std::string path = scratch.Path("named by the chooser.wav");
    ASSERT_TRUE(ChooseFile(path));
    EXPECT_EQ(nullptr, OtherWindow(nullptr, 1000)) << "a new name opens nothing and warns of nothing";
    EXPECT_EQ(path, Item(IDC_FILENAME));
    EXPECT_EQ(RECORDED, Status());
    EngineWave wave;
    ExpectToneSaved(path, steps, 0.15, wave);

    // A crash 3.5 s into a new take.
    const std::vector<std::string> before = EngineTakeFiles();
    Command(ID_RECORD);
    ::Sleep(3500);
    app.Kill();
    tone.Stop();
    std::string take;
    for (const std::string& file : EngineTakeFiles())
        if (std::find(before.begin(), before.end(), file) == before.end())
            take = file;
    ASSERT_FALSE(take.empty()) << "no take left in the temporary folder";
    // Its header may be up to a second behind the sound written after it.
    std::vector<char> bytes = EngineReadFile(take);
    ::DeleteFileA(take.c_str());
    wave::WaveLayout layout;
    ASSERT_EQ(wave::WaveError::None, wave::ParseWave(bytes.data(), bytes.size(), layout)) << take;
    EXPECT_GE(double(layout.dataBytes) / layout.format.avgBytesPerSec, 2.4);
    bytes.resize(layout.dataOffset + layout.dataBytes);
    const std::string playable = scratch.Path("kept.wav");
    ASSERT_TRUE(EngineWriteFile(playable, bytes.data(), bytes.size()));
    EngineWave kept;
    std::string why;
    ASSERT_TRUE(EngineReadCanonicalWave(playable, kept, why)) << why;
    EXPECT_NEAR(440.0, EngineDominantHz(kept.mono, kept.rate, 100, 2000), 3.0);
}
}
