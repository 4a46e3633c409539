#pragma once
#include "IWaveByteSource.h"
#include <windows.h>

// An open Win32 file seen as a byte source for the WAVE parser. Does not own the handle.
class CFileByteSource : public wave::IWaveByteSource {
public:
    explicit CFileByteSource(HANDLE file);
    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t n) override;
    bool SizeKnown() const { return m_sizeKnown; }

private:
    HANDLE m_hFile;
    uint64_t m_size;
    bool m_sizeKnown;
};
