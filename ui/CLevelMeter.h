#pragma once
#include "CProgressCtrl.h"
#include "CStatic.h"
#include "CStatusBarCtrl.h"
#include <vector>

// The level meter at the right end of the status line, shown while a take records or a sound
// plays: a bar per channel, its position the level in dB above -60 dBFS, and beside the bars
// words for a sample at full scale ("Clipped") and for a take whose input has delivered
// nothing but digital silence for a while. Bars and words are standard controls, children of
// the status line, so that assistive technology reads them like any other.
class CLevelMeter {
public:
    // Creates the controls, hidden, in a status line whose parts are set: those parts are what
    // it gets back whenever the meter hides. While the meter shows, the line's first part holds
    // the widest of the texts with these string ids.
    void Create(CStatusBarCtrl& statusLine, const std::vector<UINT>& statusTexts);
    // Shows the meter for sound of this format, with no clipping seen yet; a take is also
    // watched for silence.
    void Start(WORD channels, WORD bitsPerSample, BOOL recording);
    // Shows a reading of the device: left channel in the high word, right or mono in the low.
    void Show(DWORD level);
    // Hides the meter and gives the status line its parts back.
    void Stop();
    // Follows the status line's new font and parts (the window moved to another display scale).
    void Fit();

    static constexpr int kRangeDb = 60;
    static constexpr DWORD kSilenceMs = 2000;

private:
    // Splits the status line in two parts and places the controls in the second, the words
    // as wide as they are now, or gives the line its own parts back.
    void Layout(BOOL shown);
    // A channel's level as the bar's position: dB above -60 dBFS, 0 below.
    int BarPosition(DWORD level) const;
    void ShowWords(UINT id);

    CStatusBarCtrl* m_pStatusLine = nullptr;
    std::vector<UINT> m_statusTexts;
    int m_nLineParts[2] = {};
    int m_nLinePartCount = 0;
    CProgressCtrl m_ctlLeft;
    CProgressCtrl m_ctlRight;
    CStatic m_wndWords;
    BOOL m_bShown = FALSE;
    BOOL m_bRecording = FALSE;
    BOOL m_bMono = FALSE;
    DWORD m_dwFullScale = 32768;
    BOOL m_bClipped = FALSE;
    DWORD m_dwLastSound = 0;   // tick count when the take last delivered more than silence
    UINT m_nWords = 0;         // string id of the words shown, 0 for none
};
