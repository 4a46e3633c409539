#pragma once
// Reads and writes at an offset of an open file, as the engine's files are read and written
// from several threads: no file pointer is shared between them.
#include <windows.h>
#include <cstdint>

// Exactly n bytes at offset; false if they are not all there or the call failed.
bool ReadFileAt(HANDLE file, uint64_t offset, void* buffer, DWORD n);
bool WriteFileAt(HANDLE file, uint64_t offset, const void* buffer, DWORD n);
