// Opening and saving WAVE files: foreign files refused, user files held while open and never lost.
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

uint64_t TempFolderBytes()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    uint64_t bytes = 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(temp) + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        bytes += (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    while (FindNextFileA(find, &found));
    FindClose(find);
    return bytes;
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
    for (const auto& c : cases) {
        MCIDEVICEID id = 99;
        EXPECT_EQ(OpenDevice(dir.Path(c.name).c_str(), id), c.error) << c.name;
        EXPECT_EQ(id, 0u) << c.name;
    }
    for (const char* name : {"empty.wav", "text.wav", "truncated.wav", "adpcm.wav"})
        EXPECT_TRUE(DeleteFileA(dir.Path(name).c_str())) << name << ": a refused file must not stay held";
    RemoveDirectoryA(dir.Path("folder.wav").c_str());
}

TEST_F(EngineTest, OpenCopiesNothingAndHoldsTheFileAgainstChangesUntilClosed)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("tone.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 1.5, 2, 11025, 8));
    const uint64_t tempBytes = TempFolderBytes();
    const MCIDEVICEID id = Open(path.c_str());
    EXPECT_EQ(Length(id), 1500u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_CHANNELS), 2u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_SAMPLESPERSEC), 11025u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_BITSPERSAMPLE), 8u);
    EXPECT_LT(TempFolderBytes(), tempBytes + 33075) << "the sound was copied";

    // Others may read the file, but neither change nor delete it while it is open.
    const HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(reader);
    const HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(Length(id), 1500u);
    ASSERT_EQ(Close(id), 0u);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "closing must let the file go";

    // A file another program still writes cannot be held, but it opens all the same.
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 0.5, 1, 8000, 16));
    const HANDLE recording = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(recording, INVALID_HANDLE_VALUE);
    const MCIDEVICEID busy = Open(path.c_str());
    EXPECT_EQ(Length(busy), 500u);
    Close(busy);
    CloseHandle(recording);
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

TEST_F(EngineTest, SavingOntoTheOpenFileReplacesItWholeOrNotAtAll)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("take.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 1.0, 2, 22050, 16));
    const std::vector<char> canonical = EngineReadFile(path);
    // Another program's file: a chunk before the sound, which a save does not keep.
    ASSERT_TRUE(EngineInsertChunkBeforeSound(path, 6));
    const MCIDEVICEID id = Open(path.c_str());

    // Another program reading the file keeps it from being replaced: the save fails and
    // leaves the file and the open sound as they were.
    const std::vector<char> original = EngineReadFile(path);
    const HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Save(id, path), MCIERR_FILE_NOT_SAVED);
    CloseHandle(reader);
    EXPECT_EQ(EngineReadFile(path), original);
    EXPECT_FALSE(DeleteFileA(path.c_str())) << "the file must be held again";

    ASSERT_EQ(Save(id, path), 0u) << "save onto the file that is open";
    EXPECT_EQ(EngineReadFile(path), canonical);
    ASSERT_EQ(Save(id, path), 0u) << "and once more";
    EXPECT_EQ(EngineReadFile(path), canonical);
    EXPECT_FALSE(DeleteFileA(path.c_str())) << "the saved file must be held";
    // The sound now comes from the saved file, where it begins elsewhere.
    ASSERT_EQ(Save(id, dir.Path("copy.wav")), 0u);
    EXPECT_EQ(EngineReadFile(dir.Path("copy.wav")), canonical);
    EXPECT_EQ(Length(id), 1000u);
    const std::vector<std::string> files = dir.Files();
    EXPECT_EQ(files, (std::vector<std::string>{"copy.wav", "take.wav"})) << "no temporary file may be left";
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
