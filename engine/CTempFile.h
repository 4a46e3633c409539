#pragma once
#include "IWaveByteSource.h"
#include <windows.h>
#include <cstdint>
#include <mutex>
#include <string>

// A take: a file in the user's temp folder that holds a recording. It must outlive a crash,
// so it is named for a person to find and removed only by this object. It is held open with
// write access and without sharing writes, which tells other Vorsels that it is in use. Reads
// and writes take explicit offsets and may come from different threads.
class CTempFile : public wave::IWaveByteSource {
public:
    CTempFile();
    ~CTempFile() override;
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // Creates "Vorsel take YYYY-MM-DD HH-MM-SS.wav" (with " (2)" and so on if that is taken).
    bool CreateTake();
    // Takes up the take file an earlier Vorsel left, held as CreateTake holds a new one: it is
    // this object's to delete from now on. False, the file untouched, if it cannot be opened so
    // (a running Vorsel holds it).
    bool Adopt(const char* path);
    // The file stays when this object goes: it is no longer this object's to delete.
    void Disown();
    uint64_t Size() const override;
    bool ReadAt(uint64_t offset, void* buffer, size_t n) override;
    // Writes within or at the end of what is written; the size grows only if every byte was.
    bool WriteAt(uint64_t offset, const void* buffer, DWORD n);
    bool Append(const void* buffer, DWORD n);
    // Cuts the file to size bytes, if it is longer.
    bool Truncate(uint64_t size);
    // Brings what was written to the disk (a test's slow disk takes its time here).
    virtual bool Flush();
    // Moves the file onto target, replacing it in one step, and leaves it there: it is then the
    // user's file, no longer ours to delete, and reads go on from it. False leaves both as they
    // were (another volume, a target in use).
    bool MoveTo(const char* target);

    // The folder takes are made in, with its trailing backslash; false if it has no usable path.
    static bool TakeFolder(char (&folder)[MAX_PATH]);
    // The takes' names: a pattern to list them by, and the time a take's name says it began
    // (false for a name CreateTake does not give).
    static const char kTakePattern[];
    static bool BeginTimeOf(const char* name, SYSTEMTIME& begun);

private:
    bool Hold(const char* path, DWORD disposition);

    HANDLE m_hFile;
    std::string m_path;
    uint64_t m_size;
    mutable std::mutex m_lock;
};
