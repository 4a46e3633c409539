#include "CFileByteSource.h"

CFileByteSource::CFileByteSource(HANDLE file) : m_hFile(file), m_size(0), m_sizeKnown(false)
{
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size)) {
        m_size = static_cast<uint64_t>(size.QuadPart);
        m_sizeKnown = true;
    }
}

bool CFileByteSource::ReadAt(uint64_t offset, void* buffer, size_t n)
{
    if (offset > m_size || n > m_size - offset || n > 0xFFFFFFFFu)
        return false;
    return ReadAt(m_hFile, offset, buffer, static_cast<DWORD>(n));
}

bool CFileByteSource::ReadAt(HANDLE file, uint64_t offset, void* buffer, DWORD n)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    return n == 0 || (ReadFile(file, buffer, n, &done, &at) && done == n);
}
