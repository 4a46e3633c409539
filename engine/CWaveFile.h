#pragma once
#include "IWaveByteSource.h"
#include <windows.h>
#include <mutex>

// A user's WAVE file, held open while a device has it: other programs may read it but not
// change or delete it, so what plays is what was opened. Nothing is copied: reads go to the
// file's own sound, whose first byte is offset 0.
class CWaveFile : public wave::IWaveByteSource {
public:
    // Takes over a handle that Hold opened, on a file whose 'length' bytes of sound begin at
    // dataOffset.
    CWaveFile(HANDLE file, uint64_t dataOffset, uint64_t length);
    ~CWaveFile() override;
    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

    // Opens a file for reading the way a device holds it.
    static HANDLE Hold(const char* path);
    uint64_t Size() const override { return m_length; }
    bool ReadAt(uint64_t offset, void* buffer, size_t n) override;
    // Puts a finished save, the file temp, in place of target. A save onto this very file lets
    // it go for the move and then holds the file that is there: the saved one, whose sound
    // begins at dataOffset, or the old one if the move failed.
    bool MoveOver(const char* temp, const char* target, uint64_t dataOffset);

private:
    // Whether target is the file held; call with m_lock held.
    bool Holds(const char* target) const;

    std::mutex m_lock;
    HANDLE m_hFile;
    uint64_t m_dataOffset;
    const uint64_t m_length;
};
