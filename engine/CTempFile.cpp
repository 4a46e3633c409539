#include "CTempFile.h"
#include "CFileByteSource.h"
#include <atomic>

namespace {
std::atomic<DWORD> g_flushDelayMs{0};
}

CTempFile::CTempFile() : m_hFile(INVALID_HANDLE_VALUE), m_size(0) {}

CTempFile::~CTempFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    if (!m_path.empty())
        DeleteFileA(m_path.c_str());
}

bool CTempFile::CreateTake()
{
    char folder[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH)
        return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stem[MAX_PATH + 40];
    wsprintfA(stem, "%sVorsel take %04u-%02u-%02u %02u-%02u-%02u", folder, now.wYear, now.wMonth, now.wDay,
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
        m_hFile = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_hFile != INVALID_HANDLE_VALUE) {
            m_path = path;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool CTempFile::Truncate(uint64_t size)
{
    std::lock_guard<std::mutex> guard(m_lock);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(m_hFile, at, nullptr, FILE_BEGIN) || !SetEndOfFile(m_hFile))
        return false;
    m_size = size;
    return true;
}

bool CTempFile::MoveTo(const char* target)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_path.empty() || !IWaveSound::MoveIntoPlace(m_path.c_str(), target))
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
    if (const DWORD delay = g_flushDelayMs.load())
        Sleep(delay);
    return FlushFileBuffers(m_hFile) != FALSE;
}

void CTempFile::SetFlushDelayForTesting(DWORD ms)
{
    g_flushDelayMs = ms;
}

bool CTempFile::ReadAt(uint64_t offset, void* buffer, DWORD n)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (offset > m_size || n > m_size - offset)
        return false;
    return CFileByteSource::ReadAt(m_hFile, offset, buffer, n);
}

bool CTempFile::WriteAt(uint64_t offset, const void* buffer, DWORD n)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (offset > m_size)
        return false;   // no holes: every byte of the sound is written by us
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    if (n && !(WriteFile(m_hFile, buffer, n, &done, &at) && done == n))
        return false;
    if (offset + n > m_size)
        m_size = offset + n;
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
