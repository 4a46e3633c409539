#include "CFileByteSource.h"
#include "FileAt.h"

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
    return ReadFileAt(m_hFile, offset, buffer, static_cast<DWORD>(n));
}
