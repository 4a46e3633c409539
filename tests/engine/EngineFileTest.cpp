// Opening and saving WAVE files: foreign files refused, user files never locked or lost.
#include "EngineCommands.h"
#include "EngineTestSupport.h"
#include <algorithm>
#include <cstring>

namespace {

bool SameBytes(const std::string& a, const std::string& b)
{
    const std::vector<char> x = EngineReadFile(a), y = EngineReadFile(b);
    return !x.empty() && x == y;
}

} // namespace

TEST_F(EngineTest, OpenRefusesFilesItCannotPlayAndSaysWhy)
{
    CEngineScratchDir dir;
    EngineWriteFile(dir.Path("empty.wav"), "", 0);
    const char text[] = "Shopping list: milk, bread, a sound recorder.\r\n";
    EngineWriteFile(dir.Path("text.wav"), text, sizeof text - 1);
    ASSERT_TRUE(EngineWriteToneFile(dir.Path("good.wav"), 440, 0.5, 1, 8000, 16));
    std::vector<char> good = EngineReadFile(dir.Path("good.wav"));
    EngineWriteFile(dir.Path("truncated.wav"), good.data(), 44 + 1);   // cut before its first sample
    std::vector<char> adpcm = good;
    adpcm[20] = 2;
    EngineWriteFile(dir.Path("adpcm.wav"), adpcm.data(), adpcm.size());
    CreateDirectoryA(dir.Path("folder.wav").c_str(), nullptr);

    // Only a damaged file is called corrupt; a sound file in a format we do not play is not.
    const struct { const char* name; MCIERROR error; } cases[] = {
        {"empty.wav", MCIERR_INVALID_FILE},     {"text.wav", MCIERR_INVALID_FILE},
        {"truncated.wav", MCIERR_INVALID_FILE}, {"adpcm.wav", MCIERR_WAVE_SETOUTPUTUNSUITABLE},
        {"folder.wav", MCIERR_INVALID_FILE},    {"missing.wav", MCIERR_FILE_NOT_FOUND},
    };
    const size_t tempsBefore = EngineTempFiles().size();
    for (const auto& c : cases) {
        MCIDEVICEID id = 99;
        EXPECT_EQ(OpenDevice(dir.Path(c.name).c_str(), id), c.error) << c.name;
        EXPECT_EQ(id, 0u) << c.name;
    }
    EXPECT_EQ(engine.OpenDeviceCount(), 0u);
    EXPECT_EQ(EngineTempFiles().size(), tempsBefore) << "a refused open left a scratch file";
    RemoveDirectoryA(dir.Path("folder.wav").c_str());
}

TEST_F(EngineTest, OpenReadsTheFormatAndLengthAndDoesNotLockTheFile)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("tone.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 1.5, 2, 11025, 8));
    const MCIDEVICEID id = Open(path.c_str());
    EXPECT_EQ(Length(id), 1500u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_CHANNELS), 2u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_SAMPLESPERSEC), 11025u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_BITSPERSAMPLE), 8u);
    // The user may delete or replace the file while it is open in the device.
    EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
    EXPECT_EQ(Length(id), 1500u);
}

TEST_F(EngineTest, SaveWritesTheSamplesItOpenedInACanonicalFile)
{
    CEngineScratchDir dir;
    const std::string source = dir.Path("source.wav");
    ASSERT_TRUE(EngineWriteToneFile(source, 440, 1.0, 1, 11025, 8));   // odd data size
    const MCIDEVICEID id = Open(source.c_str());
    const std::string copy = dir.Path("copy.wav");
    ASSERT_EQ(Save(id, copy), 0u);
    EXPECT_TRUE(SameBytes(source, copy)) << "our own canonical file must come back byte for byte";
    EngineWave wave;
    std::string why;
    ASSERT_TRUE(EngineReadCanonicalWave(copy, wave, why)) << why;
    EXPECT_EQ(wave.mono.size(), 11025u);

    // Over a megabyte (6.5 s of CD quality): opening and saving both copy in pieces.
    const std::string big = dir.Path("big.wav");
    ASSERT_TRUE(EngineWriteToneFile(big, 440, 6.5, 2, 44100, 16));
    ASSERT_GT(EngineReadFile(big).size(), 1024u * 1024u + 44u);
    const MCIDEVICEID bigId = Open(big.c_str());
    ASSERT_EQ(Save(bigId, dir.Path("bigcopy.wav")), 0u);
    EXPECT_TRUE(SameBytes(big, dir.Path("bigcopy.wav"))) << "a long file must come back whole";
}

TEST_F(EngineTest, SavingTwiceAndOntoTheOpenFileKeepsEverything)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("take.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 1.0, 2, 22050, 16));
    const std::vector<char> original = EngineReadFile(path);
    const MCIDEVICEID id = Open(path.c_str());
    ASSERT_EQ(Save(id, path), 0u) << "save onto the file that is open";
    EXPECT_EQ(EngineReadFile(path), original);
    ASSERT_EQ(Save(id, path), 0u) << "and once more";
    EXPECT_EQ(EngineReadFile(path), original);
    EXPECT_EQ(Length(id), 1000u);
    const std::vector<std::string> files = dir.Files();
    EXPECT_EQ(files, std::vector<std::string>{"take.wav"}) << "no temporary file may be left";
}

TEST_F(EngineTest, FailedSavesKeepTheTargetTheRecordingAndNoLeftovers)
{
    CEngineScratchDir dir;
    const std::string source = dir.Path("source.wav");
    ASSERT_TRUE(EngineWriteToneFile(source, 440, 0.5, 1, 8000, 16));
    const MCIDEVICEID id = Open(source.c_str());

    EXPECT_NE(Save(id, dir.Path("no such folder\\out.wav")), 0u);

    const std::string locked = dir.Path("readonly.wav");
    ASSERT_TRUE(EngineWriteToneFile(locked, 880, 0.2, 1, 8000, 8));
    const std::vector<char> lockedBytes = EngineReadFile(locked);
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Save(id, locked), MCIERR_FILE_NOT_SAVED);
    EXPECT_EQ(EngineReadFile(locked), lockedBytes) << "a read-only file must not be replaced";

    // A file another program holds open cannot be replaced: found only once the new copy
    // is written beside it, and that copy must not stay behind.
    const std::string busy = dir.Path("busy.wav");
    ASSERT_TRUE(EngineWriteToneFile(busy, 660, 0.2, 1, 8000, 8));
    const std::vector<char> busyBytes = EngineReadFile(busy);
    const HANDLE holder = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Save(id, busy), MCIERR_FILE_NOT_SAVED);
    CloseHandle(holder);
    EXPECT_EQ(EngineReadFile(busy), busyBytes) << "a file in use must not be replaced";

    CreateDirectoryA(dir.Path("adir").c_str(), nullptr);
    EXPECT_NE(Save(id, dir.Path("adir")), 0u) << "a folder is no file to save onto";
    RemoveDirectoryA(dir.Path("adir").c_str());
    EXPECT_NE(Save(id, ""), 0u);

    std::vector<std::string> files = dir.Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"busy.wav", "readonly.wav", "source.wav"}));
    // The device still holds the whole recording and can save it where it may.
    EXPECT_EQ(Length(id), 500u);
    ASSERT_EQ(Save(id, dir.Path("ok.wav")), 0u);
    EXPECT_TRUE(SameBytes(source, dir.Path("ok.wav")));
}

TEST_F(EngineTest, ClosingAndEndingRemoveScratchFiles)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("tone.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 0.5, 1, 8000, 8));
    const size_t before = EngineTempFiles().size();
    {
        CWaveEngine scoped;
        MCI_OPEN_PARMSA open = {};
        open.lpstrDeviceType = "waveaudio";
        open.lpstrElementName = path.c_str();
        ASSERT_EQ(scoped.SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT,
                                     reinterpret_cast<DWORD_PTR>(&open)), 0u);
        EXPECT_EQ(EngineTempFiles().size(), before + 1) << "content lives in one scratch file";
        const MCIDEVICEID id = Open(path.c_str());
        EXPECT_EQ(EngineTempFiles().size(), before + 2);
        ASSERT_EQ(Close(id), 0u);
        EXPECT_EQ(EngineTempFiles().size(), before + 1) << "close removes the device's file";
    }   // the engine goes away with a device still open, as at program exit
    EXPECT_EQ(EngineTempFiles().size(), before);
}
