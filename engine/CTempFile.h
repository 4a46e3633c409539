#pragma once
#include <windows.h>
#include <cstdint>
#include <mutex>
#include <string>

// A scratch file in the user's temp folder that holds raw PCM bytes. It is opened
// delete-on-close, so the system removes it even if the program dies with it open.
// Reads and writes take explicit offsets and may come from different threads.
class CTempFile {
public:
    CTempFile();
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // Creates the file; false if the temp folder cannot take it.
    bool Create();
    bool ReadAt(uint64_t offset, void* buffer, DWORD n);
    bool WriteAt(uint64_t offset, const void* buffer, DWORD n);
    // Writes at the end; the size grows only if every byte was written.
    bool Append(const void* buffer, DWORD n);
    uint64_t Size() const;
    const std::string& Path() const { return m_path; }

private:
    bool TransferAt(uint64_t offset, void* buffer, DWORD n, bool write);

    HANDLE m_hFile;
    std::string m_path;
    uint64_t m_size;
    mutable std::mutex m_lock;
};
