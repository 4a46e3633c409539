#pragma once
#include <windows.h>
#include "MciPort.h"

// The recorder's one waveaudio device and its activity flags. Each operation is a short, fixed
// series of MCI commands sent through the port (MciPort.h); most failures are shown here, in a
// warning box with the device's error text, so callers look only at the 1/0 result.
// What GetLength answers when it has no answer, and SetTimeFormatMs with no device open.
const DWORD NO_ANSWER = 0xFFFFFFFF;

class CWaveDevice {
public:
    CWaveDevice();
    virtual ~CWaveDevice();

    DWORD Open(LPCSTR elementName);   // "" gives a new, empty recording
    // A take file an earlier Vorsel left, held as the device's own unsaved take.
    DWORD OpenTake(LPCSTR path);
    DWORD Close();
    DWORD Record(HWND notifyWindow);
    DWORD Stop();
    DWORD Play(HWND notifyWindow, DWORD from, DWORD to);
    DWORD Pause();                    // pauses a playback, or resumes a paused one
    // A save that takes long calls yield meanwhile, on this thread (see MciYield).
    DWORD Save(LPCSTR fileName, MciYield yield = MciYield());
    void SeekTo(DWORD position);
    DWORD GetPosition();
    DWORD GetLength();
    // The peak of what is recorded or heard now: left channel in the high word, right (or
    // mono) in the low word, up to 128 for 8-bit sound and 32768 for any other; 0 otherwise.
    DWORD GetLevel();
    DWORD SetFormat(WORD channels, DWORD samplesPerSec, WORD bitsPerSample);
    DWORD GetFormat(WORD* channels, DWORD* samplesPerSec, WORD* bitsPerSample);
    DWORD SetTimeFormatMs();
    void ShowError(DWORD code);

    BOOL m_bRecording;
    BOOL m_bPlaying;
    BOOL m_bPaused;
    BOOL m_bReady;     // the open device holds content that may be played or saved
    UINT m_wDeviceID;  // 0 when no device is open
    DWORD m_dwLastError;

private:
    // Stores the code in m_dwLastError; shows it when it is a failure. TRUE on success.
    BOOL StoreAndReport(DWORD code);
    DWORD OpenWith(LPCSTR elementName, DWORD flags);
    DWORD StatusItem(DWORD item, DWORD* answer);
    // A query of the display's ticks: 0 with no device open, and its failure is not reported.
    DWORD QuietStatus(DWORD item);
};
