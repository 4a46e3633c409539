#include "FileAt.h"

namespace {
OVERLAPPED At(uint64_t offset)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}
} // namespace

bool ReadFileAt(HANDLE file, uint64_t offset, void* buffer, DWORD n)
{
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    return n == 0 || (ReadFile(file, buffer, n, &done, &at) && done == n);
}

bool WriteFileAt(HANDLE file, uint64_t offset, const void* buffer, DWORD n)
{
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    return n == 0 || (WriteFile(file, buffer, n, &done, &at) && done == n);
}

bool MoveIntoPlace(const char* from, const char* target)
{
    return MoveFileExA(from, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
