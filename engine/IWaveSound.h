#pragma once
#include <windows.h>
#include <cstdint>

// Where a device's sound is read from: the take being recorded, or a user's file held open.
// Reads may come from any thread.
class IWaveSound {
public:
    virtual ~IWaveSound() {}
    // Exactly n bytes at offset; false if they are not all there or the read failed.
    virtual bool ReadAt(uint64_t offset, void* buffer, DWORD n) = 0;
    // Puts a finished save, the file temp, in place of target. Only a sound held open in that
    // very file has more to do: it must let the file go for the move.
    virtual bool MoveOver(const char* temp, const char* target, uint64_t dataOffset)
    {
        return MoveIntoPlace(temp, target);
    }
    static bool MoveIntoPlace(const char* temp, const char* target)
    {
        return MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
};
