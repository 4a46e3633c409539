// Names as users and their tools give them to Vorsel.exe: a folder and a file named in
// letters beyond the old 8-bit code pages (the program's manifest makes its 8-bit calls UTF-8),
// and a name that another program, such as dictation, puts into the file name field.
#include "EngineTestSupport.h"
#include "RecorderWindowDriver.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {
// The names in a folder as Linux holds them, where Wine keeps them in UTF-8.
std::vector<std::string> LinuxNames(const std::string& folder)
{
    CEngineScratchDir elsewhere;
    const std::string listing = elsewhere.Path("names.txt");
    std::string unixFolder, unixListing;
    if (!UnixPath(folder, unixFolder) || !UnixPath(listing, unixListing) ||
        RunUnix("ls -1 '" + unixFolder + "' > '" + unixListing + "'", 10000) != 0)
        return {};
    const std::vector<char> text = EngineReadFile(listing);
    std::vector<std::string> names;
    std::string line;
    for (char c : text)
        if (c == '\n')
            names.push_back(line), line.clear();
        else
            line += c;
    return names;
}

class NamesE2E : public ::testing::Test, protected RecorderWindowDriver {
protected:
    CEngineScratchDir scratch;

    void SetUp() override { ASSERT_EQ(CP_UTF8, ::GetACP()) << "the end-to-end tests run under the program's manifest"; }
    void TearDown() override { Quit(); }

    void ExpectSavedAs(const std::string& path)
    {
        PostSave();
        Box box;
        ASSERT_TRUE(NextBox(box));
        EXPECT_EQ("Sound File Saved!", box.caption);
        EXPECT_EQ("Saved at the followin location: " + path, box.text);
    }
};

// Vorsel.exe and its sample.wav copied into a folder of that name, removed again afterwards.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& name) : path(ProcessDriver::TempFolder(name))
    {
        for (const char* file : { "Vorsel.exe", "sample.wav" })
            ::CopyFileA((ProcessDriver::OwnFolder() + file).c_str(), (path + file).c_str(), FALSE);
    }
    ~ProgramFolder()
    {
        WIN32_FIND_DATAA found;
        HANDLE find = ::FindFirstFileA((path + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do
                ::DeleteFileA((path + found.cFileName).c_str());
            while (::FindNextFileA(find, &found));
            ::FindClose(find);
        }
        ::RemoveDirectoryA(path.c_str());
    }
    const std::string path;
};
}

TEST_F(NamesE2E, StartedFromAFolderBeyondTheOldCodePagesItOpensItsSampleAndSavesAnyName)
{
    ProgramFolder folder("app-録音");
    ASSERT_TRUE(Start(folder.path + "Vorsel.exe"));
    EXPECT_EQ(nullptr, OtherWindow(nullptr, 800)) << "a box at start: sample.wav was not found";
    EXPECT_EQ(folder.path + "sample.wav", Item(IDC_FILENAME));
    EXPECT_EQ(20, SliderMax()) << "sample.wav's 2 s in 100 ms steps";

    const LRESULT steps = RecordTake(1500);
    const std::string take = folder.path + "Запись 録音.wav";
    SetField(take);
    ExpectSavedAs(take);
    const std::vector<std::string> names = LinuxNames(folder.path);
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "Запись 録音.wav")) << names.size() << " names";
    EngineWave wave;
    std::string why;
    ASSERT_TRUE(EngineReadCanonicalWave(take, wave, why)) << why;
    EXPECT_NEAR(steps / 10.0, wave.Seconds(), 0.15);
}

TEST_F(NamesE2E, ANameAnotherProgramPutsIntoTheFieldDuringPlayStaysThereAndIsSaved)
{
    ASSERT_TRUE(Start());
    Command(ID_PLAY);   // sample.wav, 2 s: a refresh every 100 ms
    ASSERT_TRUE(StatusBecomes("   Playing..."));
    const std::string dictated = scratch.Path("dictated name.wav");
    SetField(dictated);   // WM_SETTEXT, as dictation sets a field
    ::Sleep(1000);
    EXPECT_EQ(dictated, Item(IDC_FILENAME)) << "a refresh put the old name back";
    EXPECT_TRUE(StatusBecomes(RECORDED, 6000)) << "the play did not end";
    EXPECT_EQ(dictated, Item(IDC_FILENAME));
    ExpectSavedAs(dictated);
    EXPECT_EQ(EngineReadFile(ProcessDriver::OwnFolder() + "sample.wav"), EngineReadFile(dictated));
}
