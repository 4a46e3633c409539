#include "CLeftoverTake.h"
#include "CFileByteSource.h"
#include "CTempFile.h"
#include "WaveFileIO.h"
#include <algorithm>
#include <utility>
#include <vector>

namespace {

// A take's begin time as text that sorts as the time does.
std::string SortKey(const SYSTEMTIME& t)
{
    char key[32];
    wsprintfA(key, "%04u%02u%02u%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return key;
}

enum class Look { HeldOrForeign, NoSound, Sound };

// What the take file at path is; for one with sound, its layout and its sound's bytes.
Look LookAt(const std::string& path, wave::WaveLayout& layout, uint64_t& bytes)
{
    // A running Vorsel holds its take with write access, so a reader that refuses writers is
    // refused: that take is in use, not left.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Look::HeldOrForeign;
    CFileByteSource source(file);
    const bool sized = source.SizeKnown();
    const bool parsed = sized && wave::ParseWave(source, layout) == wave::WaveError::None;
    CloseHandle(file);
    if (sized && source.Size() == 0)
        return Look::NoSound;   // ended before its header was written
    if (!parsed)
        return Look::HeldOrForeign;   // not ours to judge: kept as it is
    bytes = TakeSoundBytes(layout, source.Size());
    return bytes ? Look::Sound : Look::NoSound;
}

// Through a handle that refuses writers: a Vorsel that has taken the file up holds it with
// write access, and keeps it.
bool DeleteUnheld(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace

bool CLeftoverTake::FindNewest()
{
    char folder[MAX_PATH];
    if (!CTempFile::TakeFolder(folder))
        return false;
    // (begin time, name), newest first.
    std::vector<std::pair<std::string, std::string>> takes;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(folder) + CTempFile::kTakePattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        SYSTEMTIME begun;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && CTempFile::BeginTimeOf(found.cFileName, begun))
            takes.emplace_back(SortKey(begun), found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(takes.rbegin(), takes.rend());
    bool offered = false;
    for (const auto& take : takes) {
        const std::string path = folder + take.second;
        wave::WaveLayout layout;
        uint64_t bytes = 0;
        const Look look = LookAt(path, layout, bytes);
        if (look == Look::NoSound)
            DeleteUnheld(path);   // it can give nothing back, and would only take room for good
        else if (look == Look::Sound && !offered) {
            Describe(path, layout, bytes);
            offered = true;
        }
    }
    return offered;
}

void CLeftoverTake::Describe(const std::string& path, const wave::WaveLayout& layout, uint64_t bytes)
{
    const char* name = path.c_str() + path.find_last_of('\\') + 1;
    CTempFile::BeginTimeOf(name, m_begun);
    m_strPath = path;
    m_dwLength = wave::DurationMs(bytes, layout.format);
    m_nChannels = layout.format.channels;
    m_nSamplesPerSec = layout.format.samplesPerSec;
    m_nBitsPerSample = layout.format.bitsPerSample;
}

bool CLeftoverTake::Delete() const
{
    return DeleteUnheld(m_strPath);
}
