#include "CWaveFile.h"
#include "FileAt.h"

namespace {

bool SameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION x, y;
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

} // namespace

CWaveFile::CWaveFile(HANDLE file, uint64_t dataOffset, uint64_t length)
    : m_hFile(file), m_dataOffset(dataOffset), m_length(length)
{
}

CWaveFile::~CWaveFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

HANDLE CWaveFile::Hold(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    // A file another program is still writing cannot be held against changes, but it plays
    // all the same, as far as it went when it was opened.
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
        file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return file;
}

bool CWaveFile::ReadAt(uint64_t offset, void* buffer, size_t n)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_hFile == INVALID_HANDLE_VALUE || offset > m_length || n > m_length - offset)
        return false;
    return ReadFileAt(m_hFile, m_dataOffset + offset, buffer, static_cast<DWORD>(n));
}

bool CWaveFile::MoveOver(const char* temp, const char* target, uint64_t dataOffset)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!Holds(target))
        return MoveIntoPlace(temp, target);
    // Our own hold is what keeps the file from being replaced. A play running meanwhile
    // waits on the lock, and reads its next bytes from whichever file is then held.
    CloseHandle(m_hFile);
    const bool moved = MoveIntoPlace(temp, target);
    m_hFile = Hold(target);
    if (moved)
        m_dataOffset = dataOffset;
    return moved;
}

bool CWaveFile::Holds(const char* target) const
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return false;
    // Asking for attributes only does not clash with our hold or anyone else's.
    HANDLE other = CreateFileA(target, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (other == INVALID_HANDLE_VALUE)
        return false;
    const bool same = SameFile(m_hFile, other);
    CloseHandle(other);
    return same;
}
