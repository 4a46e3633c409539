#include "CTempFile.h"
#include "FileAt.h"

namespace {
const char kTakePrefix[] = "Vorsel take ";

// n digits at text, as a number; false if any is no digit.
bool Digits(const char* text, int n, WORD& value)
{
    value = 0;
    for (int i = 0; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = static_cast<WORD>(value * 10 + (text[i] - '0'));
    }
    return true;
}
}

const char CTempFile::kTakePattern[] = "Vorsel take *.wav";

CTempFile::CTempFile() : m_hFile(INVALID_HANDLE_VALUE), m_size(0) {}

CTempFile::~CTempFile()
{
    // Deleted while still held: no other Vorsel can find it unheld in between and offer it.
    if (!m_path.empty())
        DeleteFileA(m_path.c_str());
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

bool CTempFile::TakeFolder(char (&folder)[MAX_PATH])
{
    const DWORD n = GetTempPathA(MAX_PATH, folder);
    return n != 0 && n < MAX_PATH;
}

bool CTempFile::BeginTimeOf(const char* name, SYSTEMTIME& begun)
{
    // "Vorsel take YYYY-MM-DD HH-MM-SS.wav", or with " (N)" before ".wav".
    const size_t prefix = sizeof kTakePrefix - 1;
    if (lstrlenA(name) < static_cast<int>(prefix + 19 + 4) || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name,
                                                                           prefix, kTakePrefix, prefix) != CSTR_EQUAL)
        return false;
    const char* t = name + prefix;
    SYSTEMTIME parsed = {};
    if (!Digits(t, 4, parsed.wYear) || t[4] != '-' || !Digits(t + 5, 2, parsed.wMonth) || t[7] != '-' ||
        !Digits(t + 8, 2, parsed.wDay) || t[10] != ' ' || !Digits(t + 11, 2, parsed.wHour) || t[13] != '-' ||
        !Digits(t + 14, 2, parsed.wMinute) || t[16] != '-' || !Digits(t + 17, 2, parsed.wSecond))
        return false;
    const char* rest = t + 19;
    if (rest[0] == ' ' && rest[1] == '(') {
        WORD copy = 0;
        int n = 0;
        while (Digits(rest + 2 + n, 1, copy))
            ++n;
        if (n == 0 || rest[2 + n] != ')')
            return false;
        rest += 3 + n;
    }
    if (lstrcmpiA(rest, ".wav") != 0)
        return false;
    begun = parsed;
    return true;
}

bool CTempFile::Hold(const char* path, DWORD disposition)
{
    m_hFile = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                          disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return false;
    m_path = path;
    return true;
}

bool CTempFile::Adopt(const char* path)
{
    if (!Hold(path, OPEN_EXISTING))
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size)) {
        Disown();
        return false;
    }
    m_size = static_cast<uint64_t>(size.QuadPart);
    return true;
}

void CTempFile::Disown()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_path.clear();
}

bool CTempFile::CreateTake()
{
    char folder[MAX_PATH];
    if (!TakeFolder(folder))
        return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stem[MAX_PATH + 40];
    wsprintfA(stem, "%s%s%04u-%02u-%02u %02u-%02u-%02u", folder, kTakePrefix, now.wYear, now.wMonth, now.wDay,
              now.wHour, now.wMinute, now.wSecond);
    // Two takes in one second, or another Vorsel's take: never open an existing file.
    for (unsigned copy = 1; copy < 100; ++copy) {
        char path[MAX_PATH + 48];
        if (copy == 1)
            wsprintfA(path, "%s.wav", stem);
        else
            wsprintfA(path, "%s (%u).wav", stem, copy);
        if (lstrlenA(path) >= MAX_PATH)
            return false;
        if (Hold(path, CREATE_NEW))
            return true;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool CTempFile::MoveTo(const char* target)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_path.empty() || !MoveIntoPlace(m_path.c_str(), target))
        return false;
    m_path.clear();
    // Reads go on through a handle that neither writes nor keeps the file from being held,
    // replaced or deleted as a user's file is, by the device and by others.
    HANDLE reader = CreateFileA(target, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (reader != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = reader;
    }
    return true;
}

bool CTempFile::Flush()
{
    return FlushFileBuffers(m_hFile) != FALSE;
}

bool CTempFile::ReadAt(uint64_t offset, void* buffer, size_t n)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (offset > m_size || n > m_size - offset)
        return false;
    return ReadFileAt(m_hFile, offset, buffer, static_cast<DWORD>(n));
}

bool CTempFile::WriteAt(uint64_t offset, const void* buffer, DWORD n)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (offset > m_size)
        return false;   // no holes: every byte of the sound is written by us
    if (!WriteFileAt(m_hFile, offset, buffer, n))
        return false;
    if (offset + n > m_size)
        m_size = offset + n;
    return true;
}

bool CTempFile::Truncate(uint64_t size)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (size >= m_size)
        return true;
    FILE_END_OF_FILE_INFO end = {};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(m_hFile, FileEndOfFileInfo, &end, sizeof end))
        return false;
    m_size = size;
    return true;
}

bool CTempFile::Append(const void* buffer, DWORD n)
{
    return WriteAt(Size(), buffer, n);
}

uint64_t CTempFile::Size() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_size;
}
