#include "CLevelMeter.h"
#include "resource.h"
#include <algorithm>
#include <cmath>

namespace {
HFONT FontOf(HWND window)
{
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// The widest of the string-table texts, in the font selected into dc.
int WidestText(HDC dc, const std::vector<UINT>& ids)
{
    int widest = 0;
    for (UINT id : ids) {
        CString text;
        text.LoadString(id);
        SIZE size = {};
        ::GetTextExtentPoint32A(dc, text, static_cast<int>(text.size()), &size);
        widest = std::max<int>(widest, size.cx);
    }
    return widest;
}
}

void CLevelMeter::Create(CStatusBarCtrl& statusLine, const std::vector<UINT>& statusTexts)
{
    m_pStatusLine = &statusLine;
    m_statusTexts = statusTexts;
    if (!statusLine.m_hWnd)
        return;   // without a status line the recorder works without a meter
    m_nLinePartCount = static_cast<int>(statusLine.SendMessage(SB_GETPARTS, 2, reinterpret_cast<LPARAM>(m_nLineParts)));
    const RECT none = {};
    m_ctlLeft.Create(WS_CHILD | PBS_SMOOTH, none, &statusLine, IDC_LEVEL_LEFT);
    m_ctlRight.Create(WS_CHILD | PBS_SMOOTH, none, &statusLine, IDC_LEVEL_RIGHT);
    m_wndWords.Create("", WS_CHILD | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, none, &statusLine, IDC_LEVEL_WORDS);
    m_ctlLeft.SetRange32(0, kRangeDb);
    m_ctlRight.SetRange32(0, kRangeDb);
    m_wndWords.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(statusLine.m_hWnd)), FALSE);
}

void CLevelMeter::Start(WORD channels, WORD bitsPerSample, BOOL recording)
{
    if (!m_wndWords.m_hWnd)
        return;
    // Wider samples reach the meter on the 16-bit scale.
    m_dwFullScale = bitsPerSample == 8 ? 128 : 32768;
    m_bMono = channels == 1;
    m_bRecording = recording;
    m_bClipped = FALSE;
    m_dwLastSound = ::GetTickCount();
    if (!m_bShown) {
        Layout(TRUE);
        m_ctlLeft.ShowWindow(SW_SHOW);
        m_ctlRight.ShowWindow(SW_SHOW);
        m_wndWords.ShowWindow(SW_SHOW);
        m_bShown = TRUE;
    }
    Show(0);
}

void CLevelMeter::Show(DWORD level)
{
    if (!m_bShown)
        return;
    const DWORD left = m_bMono ? LOWORD(level) : HIWORD(level);   // mono: both bars show the one channel
    const DWORD right = LOWORD(level);
    m_ctlLeft.SetPos(BarPosition(left));
    m_ctlRight.SetPos(BarPosition(right));
    // Full scale either way: a sample of 0 or 255 in 8 bits, of -32768 or 32767 in 16.
    if (std::max(left, right) >= m_dwFullScale - 1)
        m_bClipped = TRUE;
    const DWORD now = ::GetTickCount();
    if (level != 0)
        m_dwLastSound = now;
    // A dead input is what the user must hear of first; the clipping is told again after it.
    if (m_bRecording && now - m_dwLastSound >= kSilenceMs)
        ShowWords(IDS_LEVEL_SILENT);
    else
        ShowWords(m_bClipped ? IDS_LEVEL_CLIPPED : 0);
}

void CLevelMeter::Stop()
{
    if (!m_bShown)
        return;
    m_ctlLeft.ShowWindow(SW_HIDE);
    m_ctlRight.ShowWindow(SW_HIDE);
    m_wndWords.ShowWindow(SW_HIDE);
    m_bShown = FALSE;
    m_ctlLeft.SetPos(0);
    m_ctlRight.SetPos(0);
    ShowWords(0);
    Layout(FALSE);
}

void CLevelMeter::Fit()
{
    if (!m_wndWords.m_hWnd)
        return;
    CStatusBarCtrl& line = *m_pStatusLine;
    m_nLinePartCount = static_cast<int>(line.SendMessage(SB_GETPARTS, 2, reinterpret_cast<LPARAM>(m_nLineParts)));
    m_wndWords.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(line.m_hWnd)), FALSE);
    if (m_bShown)
        Layout(TRUE);
}

int CLevelMeter::BarPosition(DWORD level) const
{
    if (level == 0)
        return 0;
    const double db = 20 * std::log10(static_cast<double>(level) / m_dwFullScale) + kRangeDb;
    return std::max(0, std::min(kRangeDb, static_cast<int>(std::lround(db))));
}

void CLevelMeter::ShowWords(UINT id)
{
    if (id == m_nWords)
        return;
    m_nWords = id;
    CString words;
    if (id)
        words.LoadString(id);
    m_wndWords.SetWindowText(words);
    if (m_bShown)
        Layout(TRUE);
}

void CLevelMeter::Layout(BOOL shown)
{
    CStatusBarCtrl& line = *m_pStatusLine;
    if (!shown) {
        line.SendMessage(SB_SETPARTS, m_nLinePartCount, reinterpret_cast<LPARAM>(m_nLineParts));
        return;
    }
    // Every size comes from the line's font and the parts the line lays out, so that the meter
    // grows with the text at any display scaling.
    HDC dc = ::GetDC(line.m_hWnd);
    const HGDIOBJ old = ::SelectObject(dc, FontOf(line.m_hWnd));
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    const int textWidth = WidestText(dc, m_statusTexts);
    // The words take what they need and the bars the rest: while the input is silent the bars
    // show nothing anyway, and the rest of the time they keep most of the part.
    const int wordsWidth = m_nWords ? WidestText(dc, { m_nWords }) : 0;
    ::SelectObject(dc, old);
    ::ReleaseDC(line.m_hWnd, dc);

    const int gap = metrics.tmAveCharWidth;   // also covers the line's own margin before its text
    int parts[2] = { textWidth + 2 * gap, -1 };
    line.SendMessage(SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    RECT part = {};
    line.SendMessage(SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
    RECT client = {};
    ::GetClientRect(line.m_hWnd, &client);
    if (line.GetStyle() & SBARS_SIZEGRIP)
        part.right = std::min<LONG>(part.right, client.right - ::GetSystemMetrics(SM_CXVSCROLL));
    ::InflateRect(&part, -gap / 2, -::GetSystemMetrics(SM_CYEDGE));

    const RECT words = { part.left, part.top, part.left + wordsWidth, part.bottom };
    const int barLeft = m_nWords ? words.right + gap / 2 : words.right;
    const int barHeight = (part.bottom - part.top - ::GetSystemMetrics(SM_CYBORDER)) / 2;
    const RECT left = { barLeft, part.top, part.right, part.top + barHeight };
    const RECT right = { barLeft, part.bottom - barHeight, part.right, part.bottom };
    m_wndWords.MoveWindow(words);
    m_ctlLeft.MoveWindow(left);
    m_ctlRight.MoveWindow(right);
}
