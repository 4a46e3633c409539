// The main of every test program. Each runs with a temporary folder of its own, which the
// programs it starts inherit: a take that one test leaves never surprises another, and what a
// test finds in the temporary folder is its own.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>

namespace {

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName, path = folder + "\\" + name;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// Made before main, and removed after all that the program made later: the engine, whose
// devices remove their takes as they close, is gone by then.
class OwnTempFolder {
public:
    OwnTempFolder()
    {
        char temp[MAX_PATH];
        const DWORD n = GetTempPathA(MAX_PATH, temp);
        char name[MAX_PATH + 32];
        if (n != 0 && n < MAX_PATH) {
            wsprintfA(name, "%svorsel-test-%lu", temp, GetCurrentProcessId());
            RemoveTree(name);   // an earlier program's of the same id
            if (CreateDirectoryA(name, nullptr) && SetEnvironmentVariableA("TMP", name) &&
                SetEnvironmentVariableA("TEMP", name)) {
                m_path = name;
                return;
            }
        }
        std::fprintf(stderr, "no temporary folder of this test program's own\n");
        ExitProcess(2);
    }
    ~OwnTempFolder() { RemoveTree(m_path); }

private:
    std::string m_path;
};

OwnTempFolder g_ownTempFolder;

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
