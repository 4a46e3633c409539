// Bad input fed to the real Vorsel.exe from outside its process: files the device refuses,
// odd but valid files, names that are too long or not plain ASCII, targets that cannot be
// written, no sound server and a full disk. Each gets a clear message and costs nothing.
#include "EngineTestSupport.h"
#include "FormatTime.h"
#include "RecorderWindowDriver.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <algorithm>

namespace {
const char SAVE_FAILED[] = "Error when saving file!";
// In the 8-bit code page both sides use, UTF-8 (the program's manifest asks for it).
const char ACCENTED_SOURCE[] = "Aufnahme-äöü-é.wav";
const char ACCENTED_COPY[] = "Kopie-éèêß.wav";
const wchar_t ACCENTED_COPY_W[] = L"Kopie-\u00E9\u00E8\u00EA\u00DF.wav";

std::string MciText(MCIERROR code)
{
    char text[256] = "";
    mciGetErrorStringA(code, text, sizeof text);
    return text;
}

// A path of about 300 characters below folder: too long for any ANSI file call.
std::string LongPath(const std::string& folder)
{
    return folder + "\\" + std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" +
           std::string(80, 'c') + ".wav";
}

class BadInputE2E : public ::testing::Test, protected RecorderWindowDriver {
protected:
    CEngineScratchDir scratch;

    void Start(const std::string& exe = ProcessDriver::OwnFolder() + "Vorsel.exe")
    {
        ASSERT_TRUE(RecorderWindowDriver::Start(exe));
    }
    void TearDown() override { Quit(); }

    void SaveTo(const std::string& path, Box& box)
    {
        SetField(path);
        PostSave();
        ASSERT_TRUE(NextBox(box)) << "no word on saving to " << path;
    }
    // A failed save: the device's warning with the text that fits, then the window's error.
    void ExpectRefusedSave(const std::string& path, MCIERROR expected)
    {
        Box warning, error;
        SaveTo(path, warning);
        EXPECT_EQ(MciText(expected), warning.text) << path;
        ASSERT_TRUE(NextBox(error));
        EXPECT_EQ("Error", error.caption);
        EXPECT_EQ(SAVE_FAILED, error.text);
        ExpectNoBox();
    }
    void ExpectSaved(const std::string& path)
    {
        Box box;
        SaveTo(path, box);
        EXPECT_EQ("Sound File Saved!", box.caption);
        EXPECT_EQ("Saved at the followin location: " + path, box.text);
    }
    void ExpectNoBox(HWND except = nullptr)
    {
        HWND w = OtherWindow(except, 800);
        EXPECT_EQ(nullptr, w) << "unexpected window \"" << ProcessDriver::Text(w) << "\": "
                              << ProcessDriver::ItemText(w, 0xFFFF);
    }

    // The window still works: a fresh take records and is shown.
    void ExpectRecordingWorks()
    {
        const LRESULT steps = RecordTake(1300);
        EXPECT_GE(steps, 3);
        EXPECT_EQ(FormatTime(DWORD(steps) * 100), Item(IDC_LENGTH));
    }
    // The file is a valid WAVE of about steps / 10 seconds.
    void ExpectTake(const std::string& path, LRESULT steps)
    {
        EngineWave wave;
        std::string why;
        ASSERT_TRUE(EngineReadCanonicalWave(path, wave, why)) << path << ": " << why;
        EXPECT_NEAR(steps / 10.0, wave.Seconds(), 0.15);
    }
};

// Choosing a file gives up what was open, whether or not the file opens; what matters is
// that the refusal is told once and that nothing is then written over the refused file.
TEST_F(BadInputE2E, RefusedFilesAreToldOnceAndAreNeverWrittenOver)
{
    Start();
    const LRESULT steps = RecordTake(1800);
    ASSERT_GE(steps, 8);
    const std::string length = Item(IDC_LENGTH);
    ExpectSaved(scratch.Path("take.wav"));   // nothing unsaved: each choice opens at once

    const std::string empty = scratch.Path("empty.wav");
    ASSERT_TRUE(EngineWriteFile(empty, "", 0));
    const std::string notes = scratch.Path("notes.wav");
    const std::string text = "Shopping list:\r\nbread\r\nmilk\r\n";
    ASSERT_TRUE(EngineWriteFile(notes, text.data(), text.size()));
    struct { std::string path; MCIERROR error; } cases[] = {
        { empty, MCIERR_INVALID_FILE },
        { notes, MCIERR_INVALID_FILE },
        { scratch.Path("gone.wav"), MCIERR_FILE_NOT_FOUND },   // the chooser lets a new name through
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(ChooseFile(c.path));
        Box box;
        ASSERT_TRUE(NextBox(box));
        EXPECT_EQ(MciText(c.error), box.text);
        EXPECT_EQ(nullptr, box.owner);
        ExpectNoBox();
        EXPECT_EQ(c.path, Item(IDC_FILENAME));
        EXPECT_EQ(length, Item(IDC_LENGTH));
        EXPECT_EQ(steps, SliderMax());

        // The field now names the refused file: a Save must say there is nothing to save.
        PostSave();
        ASSERT_TRUE(NextBox(box));
        EXPECT_EQ("Nothing to Save", box.caption);
        ExpectNoBox();
    }
    EXPECT_EQ(std::vector<char>(text.begin(), text.end()), EngineReadFile(notes));
    EXPECT_EQ(0u, EngineReadFile(empty).size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(scratch.Path("gone.wav").c_str()));

    // A good file still opens after the refusals.
    const std::string kept = scratch.Path("kept.wav");
    ASSERT_TRUE(EngineWriteToneFile(kept, 440, 2.0, 2, 44100, 16));
    ASSERT_TRUE(ChooseFile(kept));
    ExpectNoBox();
    EXPECT_EQ("00:00:02", Item(IDC_LENGTH));
}

TEST_F(BadInputE2E, AFolderIsEnteredByTheChooserNotOpened)
{
    Start();
    const std::string name = Item(IDC_FILENAME);
    const std::string folder = scratch.Path("takes.wav");   // a folder with a sound file's name
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    HWND chooser = Choose(folder);
    ASSERT_NE(nullptr, chooser);
    ::Sleep(1500);
    EXPECT_TRUE(::IsWindowVisible(chooser));   // it went into the folder and waits for a name
    ExpectNoBox(chooser);
    ::PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Gone(chooser));
    EXPECT_EQ(name, Item(IDC_FILENAME));
    ExpectRecordingWorks();
    ::RemoveDirectoryA(folder.c_str());
}

TEST_F(BadInputE2E, AFolderInPlaceOfTheStartupFileGetsOneWarning)
{
    const std::string exe = scratch.Path("Vorsel.exe");
    ASSERT_TRUE(::CopyFileA((ProcessDriver::OwnFolder() + "Vorsel.exe").c_str(), exe.c_str(), FALSE));
    const std::string folder = scratch.Path("sample.wav");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(app.Launch(exe, "", "C:\\"));
    // The warning comes before the window shows.
    Box box;
    ASSERT_TRUE(NextBox(box, nullptr, 15000));
    EXPECT_EQ(MciText(MCIERR_INVALID_FILE), box.text);
    main = app.MainWindow();
    ASSERT_NE(nullptr, main);
    ExpectNoBox();
    ExpectRecordingWorks();
    ::PostMessageA(main, WM_COMMAND, ID_EXIT, 0);
    ASSERT_TRUE(NextBox(box, nullptr, 8000, IDYES));   // the take may go
    EXPECT_TRUE(app.WaitForExit());
    ::RemoveDirectoryA(folder.c_str());
}

TEST_F(BadInputE2E, UnusualButValidFilesOpenWhole)
{
    Start();
    const std::string mono = scratch.Path("mono.wav");
    ASSERT_TRUE(EngineWriteToneFile(mono, 440, 1.0, 1, 22050, 16));
    ASSERT_TRUE(ChooseFile(mono));
    ::Sleep(500);
    ASSERT_EQ("Mono", Selected(IDC_CHANNELS));
    ASSERT_EQ("22050 Hz", Selected(IDC_SAMPLERATE));

    struct Case { const char* name; uint16_t channels; uint32_t rate; uint16_t bits; EngineSamples samples;
                  double seconds; const char* channelEntry; const char* bitsEntry; };
    const Case cases[] = {
        // No list has 96000 Hz: the rate list keeps its selection.
        { "fine.wav", 1, 96000, 8, EngineSamples::Pcm, 2.5, "Mono", "8 bits" },
        // Four channels show as the many-channel entry; no rate entry either.
        { "quad.wav", 4, 32000, 16, EngineSamples::Pcm, 2.2, "Stereo", "16 bits" },
        // No list has 24 or 32 bits, nor a 192 kHz rate: those lists keep their selection.
        { "studio.wav", 2, 192000, 24, EngineSamples::ExtensiblePcm, 1.3, "Stereo", "16 bits" },
        { "float.wav", 1, 48000, 32, EngineSamples::Float, 1.1, "Mono", "16 bits" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = scratch.Path(c.name);
        ASSERT_TRUE(EngineWriteToneFile(path, 440, c.seconds, c.channels, c.rate, c.bits, c.samples));
        ASSERT_TRUE(ChooseFile(path));
        ExpectNoBox();
        EXPECT_EQ(path, Item(IDC_FILENAME));
        EXPECT_EQ(static_cast<LRESULT>(c.seconds * 10), SliderMax());
        EXPECT_EQ(c.channelEntry, Selected(IDC_CHANNELS));
        EXPECT_EQ("22050 Hz", Selected(IDC_SAMPLERATE));
        EXPECT_EQ(c.bitsEntry, Selected(IDC_BITS));

        // Played where the output takes it, else a clear word; never a crash.
        ::PostMessageA(main, WM_COMMAND, ID_PLAY, 0);
        Box box;
        if (NextBox(box, nullptr, 500)) {
            EXPECT_EQ(MciText(MCIERR_WAVE_OUTPUTSUNSUITABLE), box.text);
        } else {
            EXPECT_EQ("   Playing...", Status());
            bool ended = false;
            for (int i = 0; i < 80 && !ended; ++i) {
                ::Sleep(100);
                ended = Status() == RECORDED;
            }
            EXPECT_TRUE(ended) << "the playback did not come to its end";
        }
        ASSERT_TRUE(app.Running());

        // Saved again, the samples come back unchanged: no garbage, nothing dropped.
        const std::string copy = scratch.Path(std::string("copy-") + c.name);
        ExpectSaved(copy);
        EXPECT_EQ(EngineReadFile(path), EngineReadFile(copy));
    }

    // A new take is made in the lists' format, never in the last file's.
    RecordTake(1300);
    const std::string take = scratch.Path("take.wav");
    ExpectSaved(take);
    EngineWave wave;
    std::string why;
    ASSERT_TRUE(EngineReadCanonicalWave(take, wave, why)) << why;
    EXPECT_EQ(1, wave.channels);
    EXPECT_EQ(22050u, wave.rate);
    EXPECT_EQ(16, wave.bits);
}

// A file that becomes unreadable while it is open (a stick pulled out; here cut short from
// outside Wine, where our hold on it does not reach) is told, and nothing crashes.
TEST_F(BadInputE2E, AFileThatBecomesUnreadableIsToldByPlay)
{
    Start();
    const std::string path = scratch.Path("stick.wav");
    std::string unixPath;
    ASSERT_TRUE(UnixPath(path, unixPath));
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 3.0, 2, 44100, 16));
    ASSERT_TRUE(ChooseFile(path));
    ExpectNoBox();
    ASSERT_EQ(0, RunUnix("truncate -s 100 '" + unixPath + "'", 10000));
    ::PostMessageA(main, WM_COMMAND, ID_PLAY, 0);
    Box box;
    ASSERT_TRUE(NextBox(box)) << "the window shows \"" << Item(IDC_FILENAME) << "\", " << Item(IDC_LENGTH) << ", \""
                              << Status() << "\"";
    EXPECT_EQ(MciText(MCIERR_FILE_READ), box.text);
    ExpectNoBox();

    // Cut while it plays: the play ends there, with a word.
    const std::string playing = scratch.Path("playing.wav");
    ASSERT_TRUE(EngineWriteToneFile(playing, 440, 6.0, 2, 44100, 16));
    ASSERT_TRUE(ChooseFile(playing));
    ExpectNoBox();
    ::PostMessageA(main, WM_COMMAND, ID_PLAY, 0);
    ::Sleep(300);
    ASSERT_TRUE(UnixPath(playing, unixPath));
    ASSERT_EQ(0, RunUnix("truncate -s 100 '" + unixPath + "'", 10000));
    ASSERT_TRUE(NextBox(box, nullptr, 2000));
    EXPECT_EQ("Playback stopped: the sound output failed, or the file could not be read.", box.text);
    ExpectNoBox();
    EXPECT_EQ(RECORDED, Status());
    ASSERT_TRUE(app.Running());
    ExpectRecordingWorks();
}

TEST_F(BadInputE2E, AccentedNamesOpenAndSaveUnderExactlyThatName)
{
    Start();
    const std::string source = scratch.Path(ACCENTED_SOURCE);
    ASSERT_TRUE(EngineWriteToneFile(source, 330, 1.5, 2, 22050, 16));
    ASSERT_TRUE(ChooseFile(source));
    ExpectNoBox();
    EXPECT_EQ(source, Item(IDC_FILENAME));
    EXPECT_EQ(15, SliderMax());

    const std::string copy = scratch.Path(ACCENTED_COPY);
    ExpectSaved(copy);
    WIN32_FIND_DATAW found;
    const std::wstring pattern = L"*.wav";
    std::vector<std::wstring> names;
    std::string folder = scratch.Path("");
    std::wstring wideFolder(folder.begin(), folder.end());
    HANDLE find = ::FindFirstFileW((wideFolder + pattern).c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do
        names.push_back(found.cFileName);
    while (::FindNextFileW(find, &found));
    ::FindClose(find);
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), std::wstring(ACCENTED_COPY_W)));
    EXPECT_EQ(2u, names.size());
    // And on the Unix side, where Wine keeps names in UTF-8.
    std::string unixCopy;
    ASSERT_TRUE(UnixPath(copy, unixCopy));
    EXPECT_EQ("Kopie-\xC3\xA9\xC3\xA8\xC3\xAA\xC3\x9F.wav", unixCopy.substr(unixCopy.find_last_of('/') + 1));
    ExpectTake(copy, 15);
    EXPECT_EQ(EngineReadFile(source), EngineReadFile(copy));
}

// Started from a folder named beyond the old 8-bit code pages (the manifest makes the program's
// 8-bit calls UTF-8), it finds its sample.wav, and a take saves under a name in any script.
TEST_F(BadInputE2E, StartedFromAFolderBeyondTheOldCodePagesItOpensItsSampleAndSavesAnyName)
{
    const std::string folder = ProcessDriver::TempFolder("app-録音"), take = folder + "Запись 録音.wav";
    std::string unixFolder;
    ASSERT_TRUE(UnixPath(folder, unixFolder));
    for (const char* file : { "Vorsel.exe", "sample.wav" })
        ASSERT_TRUE(::CopyFileA((ProcessDriver::OwnFolder() + file).c_str(), (folder + file).c_str(), FALSE));
    Start(folder + "Vorsel.exe");
    ExpectNoBox();   // sample.wav was found
    EXPECT_EQ(folder + "sample.wav", Item(IDC_FILENAME));
    EXPECT_EQ(20, SliderMax()) << "sample.wav's 2 s in 100 ms steps";
    const LRESULT steps = RecordTake(1500);
    ExpectSaved(take);
    ExpectTake(take, steps);
    // Linux holds the name in UTF-8, as written here.
    EXPECT_EQ(0, RunUnix("test -s '" + unixFolder + "/Запись 録音.wav'", 10000));
    Quit();
    RunUnix("rm -r '" + unixFolder + "'", 10000);
}

TEST_F(BadInputE2E, ATooLongPathInTheChooserGetsAWordNotACrash)
{
    Start();
    const std::string name = Item(IDC_FILENAME);
    const std::string path = LongPath(scratch.Path("deep"));
    ASSERT_GT(path.size(), 290u);
    HWND chooser = Choose(path);
    ASSERT_NE(nullptr, chooser);
    Box box;
    ASSERT_TRUE(NextBox(box, chooser));
    EXPECT_EQ("File Name Too Long", box.caption);
    EXPECT_EQ("The file name is too long.\nChoose a shorter name or a folder nearer the top.", box.text);
    EXPECT_EQ(chooser, box.owner);
    ASSERT_TRUE(app.Running());
    EXPECT_TRUE(::IsWindowVisible(chooser));   // the user may shorten the name
    ::PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Gone(chooser));
    EXPECT_EQ(name, Item(IDC_FILENAME));

    // A name from the root is joined to the folder's drive: "C:" and 258 more is too long.
    chooser = Choose("\\" + std::string(253, 'a') + ".wav");
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(NextBox(box, chooser)) << "the chooser must not close as if cancelled";
    EXPECT_EQ("File Name Too Long", box.caption);
    ::PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Gone(chooser));
    EXPECT_EQ(name, Item(IDC_FILENAME));
    ExpectRecordingWorks();
}

TEST_F(BadInputE2E, FailedSavesKeepTheTargetAndTheTake)
{
    Start();
    const LRESULT steps = RecordTake(1800);
    ASSERT_GE(steps, 8);

    const std::string locked = scratch.Path("locked.wav");
    ASSERT_TRUE(EngineWriteToneFile(locked, 880, 0.5, 1, 8000, 8));
    const std::vector<char> lockedBytes = EngineReadFile(locked);
    ASSERT_TRUE(::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectRefusedSave(locked, MCIERR_FILE_NOT_SAVED);
    EXPECT_EQ(lockedBytes, EngineReadFile(locked));

    ExpectRefusedSave(scratch.Path("no such folder\\take.wav"), MCIERR_FILE_NOT_FOUND);
    ExpectRefusedSave(LongPath(scratch.Path("deep")), MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(std::vector<std::string>{ "locked.wav" }, scratch.Files()) << "no partial file may be left";

    // The take is still there: a good name saves it whole.
    const std::string good = scratch.Path("good.wav");
    ExpectSaved(good);
    ExpectTake(good, steps);
}

// A folder the user may not write, closed from Linux: without write permission, and, for root,
// whom permissions do not stop, with the flag that nobody may change it.
class ClosedFolder {
public:
    explicit ClosedFolder(const std::string& path) : m_path(path)
    {
        ::CreateDirectoryA(path.c_str(), nullptr);
        UnixPath(path, m_unix);
        m_unix = "'" + m_unix + "'";
    }
    ~ClosedFolder() { RunUnix("chattr -i " + m_unix + " 2>/dev/null; chmod u+w " + m_unix + "; rm -r " + m_unix, 15000); }
    std::string Path(const std::string& name) const { return m_path + "\\" + name; }
    // True when nothing can be written in it any more.
    bool Close()
    {
        return RunUnix("chmod a-w " + m_unix + " && { [ $(id -u) != 0 ] || chattr +i " + m_unix + "; } && ! touch " +
                           m_unix + "/probe 2>/dev/null", 15000) == 0;
    }

private:
    std::string m_path, m_unix;   // the latter quoted for the shell
};

// Where the user may not write, a save fails as any refused write does; the manifest's
// asInvoker keeps Windows from moving it to a folder of its own.
TEST_F(BadInputE2E, ASaveWhereTheUserMayNotWriteIsRefusedAndLandsNowhere)
{
    ClosedFolder folder(scratch.Path("closed"));
    const std::string kept = folder.Path("kept.wav");
    ASSERT_TRUE(EngineWriteToneFile(kept, 880, 0.5, 1, 8000, 8));
    const std::vector<char> keptBytes = EngineReadFile(kept);
    if (!folder.Close())
        GTEST_SKIP() << "the folder could not be closed from Linux (chmod, and chattr for root)";
    Start();   // sample.wav is open: there is a sound to save
    ExpectRefusedSave(folder.Path("new.wav"), MCIERR_FILE_NOT_SAVED);
    ExpectRefusedSave(kept, MCIERR_FILE_NOT_SAVED);
    EXPECT_EQ(keptBytes, EngineReadFile(kept));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(folder.Path("new.wav").c_str()));
    ExpectSaved(scratch.Path("elsewhere.wav"));   // the same sound saves where it may
}

// Without a sound server Wine's audio driver has no devices. The program's environment is
// what its audio driver reads, so the server is made unreachable for that process only.
TEST_F(BadInputE2E, WithoutASoundServerFilesStillOpenAndSaveAndTheWindowAnswers)
{
    CEngineScratchDir runtime;   // an empty runtime folder: no server socket in it
    std::string unixRuntime;
    ASSERT_TRUE(UnixPath(runtime.Path(""), unixRuntime));
    char saved[2][1024] = { "", "" };
    const char* names[2] = { "PULSE_SERVER", "XDG_RUNTIME_DIR" };
    DWORD had[2];
    for (int i = 0; i < 2; ++i)
        had[i] = ::GetEnvironmentVariableA(names[i], saved[i], sizeof saved[i]);
    ::SetEnvironmentVariableA("PULSE_SERVER", "unix:/nonexistent/vorsel-no-server");
    ::SetEnvironmentVariableA("XDG_RUNTIME_DIR", unixRuntime.c_str());
    Start();
    for (int i = 0; i < 2; ++i)
        ::SetEnvironmentVariableA(names[i], had[i] ? saved[i] : nullptr);
    ExpectNoBox();   // the start-up file opens without a word

    const std::string source = scratch.Path("voice.wav");
    ASSERT_TRUE(EngineWriteToneFile(source, 330, 1.5, 1, 22050, 16));
    ASSERT_TRUE(ChooseFile(source));
    ExpectNoBox();
    EXPECT_EQ(15, SliderMax());
    const std::string copy = scratch.Path("copy.wav");
    ExpectSaved(copy);
    EXPECT_EQ(EngineReadFile(source), EngineReadFile(copy));

    // Wine may fall back to an output that takes the sound and drops it; either that plays,
    // or the refusal is told. The window answers throughout.
    ASSERT_NE(RECORDED, Status());
    ::PostMessageA(main, WM_COMMAND, ID_PLAY, 0);
    Box box;
    if (NextBox(box, nullptr, 3000)) {
        EXPECT_EQ(MciText(MCIERR_WAVE_OUTPUTSUNSUITABLE), box.text);
    } else {   // then it plays: the 1.5 s file comes to its end, whose notice runs Stop
        bool ended = Status() == RECORDED;
        for (int i = 0; i < 80 && !ended; ++i) {
            ::Sleep(100);
            ended = Status() == RECORDED;
        }
        EXPECT_TRUE(ended) << "neither a refusal nor a playback that ends";
    }
    Command(ID_STOP);
    ExpectNoBox();

    // Without a server Wine may still offer a fallback input; either it records or the
    // refusal is told. Either way the window answers and a Stop ends it.
    ::PostMessageA(main, WM_COMMAND, ID_RECORD, 0);
    const bool refused = NextBox(box, nullptr, 3000);
    if (refused) {
        EXPECT_EQ(MciText(MCIERR_WAVE_INPUTSUNSUITABLE), box.text);
    }
    ::Sleep(1000);
    Command(ID_STOP);
    ExpectNoBox();
    if (refused)
        EXPECT_EQ(15, SliderMax());
    else   // the fallback input's take lasts as long as the recording ran (about 4 s)
        EXPECT_NEAR(40, SliderMax(), 10);
    ASSERT_TRUE(app.Running());
}

// A small full filesystem: a 1 MiB tmpfs, reached through Wine's Z: drive.
class FullDisk {
public:
    FullDisk()
    {
        m_unix = "/tmp/vorsel-full-" + std::to_string(::GetCurrentProcessId());
        const std::string mount = "mount -t tmpfs -o size=1m vorsel-full " + m_unix;
        m_mounted = RunUnix("mkdir -p " + m_unix + " && (" + mount + " 2>/dev/null || sudo -n " + mount +
                                " 2>/dev/null) && mountpoint -q " + m_unix, 15000) == 0;
        if (!m_mounted)
            RunUnix("rmdir " + m_unix, 5000);
        m_windows = "Z:" + m_unix;
        for (char& c : m_windows)
            if (c == '/')
                c = '\\';
    }
    ~FullDisk()
    {
        if (m_mounted)
            RunUnix("umount " + m_unix + " 2>/dev/null || sudo -n umount " + m_unix + "; rmdir " + m_unix, 15000);
    }
    bool Mounted() const { return m_mounted; }
    std::string Path(const std::string& name) const { return m_windows + "\\" + name; }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = ::FindFirstFileA(Path("*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        while (::FindNextFileA(find, &found));
        ::FindClose(find);
        return names;
    }

private:
    std::string m_unix, m_windows;
    bool m_mounted = false;
};

TEST_F(BadInputE2E, SavingOntoAFullDiskFailsAndLeavesWhatWasThere)
{
    FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "needs a 1 MiB tmpfs at /tmp/vorsel-full-<pid>: mounting one takes root "
                        "or password-free sudo, and this run has neither";
    // 600 kB already there, and a file of 880 kB to save: it cannot fit.
    const std::string existing = disk.Path("keep.wav");
    ASSERT_TRUE(EngineWriteToneFile(existing, 550, 3.4, 2, 44100, 16));
    const std::vector<char> existingBytes = EngineReadFile(existing);
    ASSERT_GT(existingBytes.size(), 590000u);
    const std::string source = scratch.Path("long.wav");
    ASSERT_TRUE(EngineWriteToneFile(source, 440, 5.0, 2, 44100, 16));

    Start();
    ASSERT_TRUE(ChooseFile(source));
    ExpectNoBox();
    ExpectRefusedSave(disk.Path("new.wav"), MCIERR_FILE_WRITE);
    ExpectRefusedSave(existing, MCIERR_FILE_WRITE);
    EXPECT_EQ(std::vector<std::string>{ "keep.wav" }, disk.Files()) << "no partial file may be left";
    EXPECT_EQ(existingBytes, EngineReadFile(existing));

    // Where there is room, the same content saves whole.
    const std::string copy = scratch.Path("copy.wav");
    ExpectSaved(copy);
    EXPECT_EQ(EngineReadFile(source), EngineReadFile(copy));
}
}
