#pragma once
#include "IWaveSound.h"
#include <cstdint>
#include <mutex>
#include <string>

// A take: a file in the user's temp folder that holds a recording. It must outlive a crash,
// so it is named for a person to find and removed only by this object. Reads and writes take
// explicit offsets and may come from different threads.
class CTempFile : public IWaveSound {
public:
    CTempFile();
    ~CTempFile() override;
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // Creates "Vorsel take YYYY-MM-DD HH-MM-SS.wav" (with " (2)" and so on if that is taken).
    bool CreateTake();
    bool ReadAt(uint64_t offset, void* buffer, DWORD n) override;
    // Writes within or at the end of what is written; the size grows only if every byte was.
    bool WriteAt(uint64_t offset, const void* buffer, DWORD n);
    bool Append(const void* buffer, DWORD n);
    // Ends the file after size bytes.
    bool Truncate(uint64_t size);
    // Brings what was written to the disk.
    bool Flush();
    // Moves the file onto target, replacing it in one step, and leaves it there: it is then the
    // user's file, no longer ours to delete, and reads go on from it. False leaves both as they
    // were (another volume, a target in use).
    bool MoveTo(const char* target);
    // Makes every flush take this much longer, as on a slow disk, so tests can see that
    // nothing waits for one that should not.
    static void SetFlushDelayForTesting(DWORD ms);
    uint64_t Size() const;

private:
    HANDLE m_hFile;
    std::string m_path;
    uint64_t m_size;
    mutable std::mutex m_lock;
};
