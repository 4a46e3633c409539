#include "CWaveDevice.h"
#include "MciContract.h"
#include "MciPort.h"
#include "UiSeam.h"

namespace {
MCIERROR Send(UINT id, UINT message, DWORD_PTR flags, void* params)
{
    return GetMciPort().SendCommand(id, message, flags, reinterpret_cast<DWORD_PTR>(params));
}

// Stop, pause and resume: complete on return, and their result is not looked at.
void SendWaitIgnoringResult(UINT id, UINT message)
{
    MCI_GENERIC_PARMS generic = {};
    Send(id, message, MCI_WAIT, &generic);   // result deliberately ignored
}
}

CWaveDevice::CWaveDevice()
    : m_bRecording(0), m_bPlaying(0), m_bPaused(0), m_bReady(0), m_wDeviceID(0), m_dwLastError(0)
{
}

CWaveDevice::~CWaveDevice()
{
    Close();
}

BOOL CWaveDevice::StoreAndReport(DWORD code)
{
    m_dwLastError = code;
    if (code != 0) {
        ShowError(code);
        return FALSE;
    }
    return TRUE;
}

DWORD CWaveDevice::Open(LPCSTR elementName)
{
    return OpenWith(elementName, 0);
}

DWORD CWaveDevice::OpenTake(LPCSTR path)
{
    return OpenWith(path, kWaveOpenTake);
}

DWORD CWaveDevice::OpenWith(LPCSTR elementName, DWORD flags)
{
    Close();   // a failure here has been shown; open anyway
    MCI_OPEN_PARMSA open = {};
    open.dwCallback = 0;
    open.wDeviceID = 0;
    open.lpstrDeviceType = "waveaudio";
    open.lpstrElementName = elementName;
    open.lpstrAlias = nullptr;
    if (!StoreAndReport(Send(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | flags | MCI_WAIT, &open)))
        return 0;
    m_wDeviceID = open.wDeviceID;
    m_bReady = 1;
    SetTimeFormatMs();   // a failure has been shown; the device is open all the same
    return 1;
}

DWORD CWaveDevice::Close()
{
    m_bReady = 0;
    if (m_wDeviceID == 0)
        return 0;
    if (!StoreAndReport(Send(m_wDeviceID, MCI_CLOSE, 0, nullptr)))
        return 0;
    m_wDeviceID = 0;
    // Nothing runs on a closed device. Flags left set would send the next Pause to a new
    // recording (a silent gap in the take) and show "Playing" while nothing plays.
    m_bRecording = 0;
    m_bPlaying = 0;
    m_bPaused = 0;
    return 1;
}

DWORD CWaveDevice::SetTimeFormatMs()
{
    if (m_wDeviceID == 0)
        return NO_ANSWER;
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    return StoreAndReport(Send(m_wDeviceID, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &set)) ? 1 : 0;
}

DWORD CWaveDevice::SetFormat(WORD channels, DWORD samplesPerSec, WORD bitsPerSample)
{
    if (m_wDeviceID == 0)
        return 0;
    const DWORD bytesPerSample = bitsPerSample >> 3;
    MCI_WAVE_SET_PARMS set = {};
    set.wFormatTag = WAVE_FORMAT_PCM;
    set.nChannels = channels;
    set.nSamplesPerSec = samplesPerSec;
    set.nAvgBytesPerSec = bytesPerSample * channels * samplesPerSec;
    set.nBlockAlign = static_cast<WORD>(channels * bytesPerSample);
    set.wBitsPerSample = bitsPerSample;
    const DWORD flags = MCI_WAVE_SET_FORMATTAG | MCI_WAVE_SET_CHANNELS | MCI_WAVE_SET_SAMPLESPERSEC |
                        MCI_WAVE_SET_AVGBYTESPERSEC | MCI_WAVE_SET_BLOCKALIGN |
                        MCI_WAVE_SET_BITSPERSAMPLE | MCI_WAIT;
    return StoreAndReport(Send(m_wDeviceID, MCI_SET, flags, &set)) ? 1 : 0;
}

DWORD CWaveDevice::StatusItem(DWORD item, DWORD* answer)
{
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    const MCIERROR code = Send(m_wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, &status);
    *answer = static_cast<DWORD>(status.dwReturn);
    return code;
}

DWORD CWaveDevice::GetFormat(WORD* channels, DWORD* samplesPerSec, WORD* bitsPerSample)
{
    if (m_wDeviceID == 0)
        return 0;
    DWORD answer = 0;
    if ((m_dwLastError = StatusItem(MCI_WAVE_STATUS_CHANNELS, &answer)) != 0)
        return 0;
    *channels = LOWORD(answer);
    if ((m_dwLastError = StatusItem(MCI_WAVE_STATUS_SAMPLESPERSEC, &answer)) != 0)
        return 0;
    *samplesPerSec = answer;
    if ((m_dwLastError = StatusItem(MCI_WAVE_STATUS_BITSPERSAMPLE, &answer)) != 0)
        return 0;
    *bitsPerSample = LOWORD(answer);
    return 1;
}

DWORD CWaveDevice::Record(HWND notifyWindow)
{
    m_bReady = 0;
    // Sent without testing for a device: with none, identifier 0 fails like any other failure.
    MCI_RECORD_PARMS record = {};
    record.dwCallback = reinterpret_cast<DWORD_PTR>(notifyWindow);
    record.dwFrom = 0;
    record.dwTo = 0;
    if (!StoreAndReport(Send(m_wDeviceID, MCI_RECORD, MCI_NOTIFY, &record)))
        return 0;
    m_bRecording = 1;
    return 1;
}

DWORD CWaveDevice::Stop()
{
    if (m_bRecording) {
        SendWaitIgnoringResult(m_wDeviceID, MCI_STOP);
        m_bRecording = 0;
        m_bReady = 1;
        SeekTo(0);
    }
    // A paused playback is a playback too: left paused, the next Play would resume mid-way
    // while the display still said "Paused".
    if (m_bPlaying || m_bPaused) {
        SendWaitIgnoringResult(m_wDeviceID, MCI_STOP);
        m_bPlaying = 0;
        m_bPaused = 0;
        SeekTo(0);
    }
    return 1;
}

DWORD CWaveDevice::Play(HWND notifyWindow, DWORD from, DWORD to)
{
    if (!m_bReady)
        return 0;
    DWORD flags = MCI_NOTIFY;
    if (from != 0)
        flags |= MCI_FROM;
    if (to != from)
        flags |= MCI_TO;
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(notifyWindow);
    play.dwFrom = from;
    play.dwTo = to;
    if (!StoreAndReport(Send(m_wDeviceID, MCI_PLAY, flags, &play)))
        return 0;
    m_bPlaying = 1;
    m_bPaused = 0;
    return 1;
}

DWORD CWaveDevice::Pause()
{
    if (m_bPlaying) {
        SendWaitIgnoringResult(m_wDeviceID, MCI_PAUSE);
        m_bPlaying = 0;
        m_bPaused = 1;
    } else if (m_bPaused) {
        SendWaitIgnoringResult(m_wDeviceID, MCI_RESUME);
        m_bPaused = 0;
        m_bPlaying = 1;
    }
    return 1;
}

DWORD CWaveDevice::Save(LPCSTR fileName, MciYield yield)
{
    if (m_wDeviceID == 0 || !m_bReady)
        return 1;   // nothing to save; the caller decides what to tell the user
    MCI_SAVE_PARMSA save = {};
    save.lpfilename = fileName;
    const BOOL yielding = yield && GetMciPort().SetYieldProc(m_wDeviceID, std::move(yield));
    const MCIERROR code = Send(m_wDeviceID, MCI_SAVE, MCI_SAVE_FILE | MCI_WAIT, &save);
    if (yielding)
        GetMciPort().SetYieldProc(m_wDeviceID, MciYield());
    return StoreAndReport(code) ? 1 : 0;
}

void CWaveDevice::SeekTo(DWORD position)
{
    if (m_wDeviceID == 0)
        return;
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = position;
    Send(m_wDeviceID, MCI_SEEK, MCI_TO | MCI_WAIT, &seek);   // result deliberately ignored
}

DWORD CWaveDevice::QuietStatus(DWORD item)
{
    if (m_wDeviceID == 0)
        return 0;
    DWORD answer = 0;
    StatusItem(item, &answer);   // a failed query is neither stored nor shown
    return answer;
}

DWORD CWaveDevice::GetPosition()
{
    return QuietStatus(MCI_STATUS_POSITION);
}

DWORD CWaveDevice::GetLevel()
{
    return QuietStatus(MCI_WAVE_STATUS_LEVEL);
}

DWORD CWaveDevice::GetLength()
{
    if (m_wDeviceID == 0)
        return NO_ANSWER;
    DWORD length = 0;
    if (!StoreAndReport(StatusItem(MCI_STATUS_LENGTH, &length)))
        return NO_ANSWER;
    return length;
}

void CWaveDevice::ShowError(DWORD code)
{
    char text[256] = "";
    // A code the device has no text for still tells the user something true.
    if (!GetMciPort().GetErrorString(code, text, sizeof text) || text[0] == '\0')
        wsprintfA(text, "The sound device reported error %lu.", code);
    UiMessageBox(nullptr, text, nullptr, MB_ICONWARNING);
}
