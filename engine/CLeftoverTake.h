#pragma once
#include <windows.h>
#include "WaveCodec.h"
#include <string>

// A take that an earlier Vorsel left in the temporary folder: a crash, a killed process or the
// end of a session leaves its file there, a whole WAVE file but for its last second. Found at
// start-up, so that it can be offered back.
class CLeftoverTake {
public:
    // Finds the newest take (by the time its name says it began) that holds sound and that no
    // running Vorsel holds open; false if there is none. Left takes that hold no sound are
    // deleted on the way.
    bool FindNewest();
    // Deletes the file for good; false, and the file kept, if a Vorsel has taken it up since.
    bool Delete() const;

    std::string m_strPath;
    SYSTEMTIME m_begun = {};   // when the take began, from its name
    DWORD m_dwLength = 0;      // milliseconds
    WORD m_nChannels = 0;
    DWORD m_nSamplesPerSec = 0;
    WORD m_nBitsPerSample = 0;

private:
    void Describe(const std::string& path, const wave::WaveLayout& layout, uint64_t bytes);
};
