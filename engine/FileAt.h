#pragma once
// The engine's file operations: reads and writes at an offset of an open file, as its files are
// read and written from several threads (no file pointer is shared between them), and the move
// that puts a finished file in place.
#include <windows.h>
#include <cstdint>

// Exactly n bytes at offset; false if they are not all there or the call failed.
bool ReadFileAt(HANDLE file, uint64_t offset, void* buffer, DWORD n);
bool WriteFileAt(HANDLE file, uint64_t offset, const void* buffer, DWORD n);
// Puts the file 'from' in place of target in one step, replacing it, written through.
bool MoveIntoPlace(const char* from, const char* target);
