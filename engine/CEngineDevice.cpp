#include "CEngineDevice.h"
#include "WaveDriver.h"
#include "WaveFileIO.h"
#include <algorithm>

namespace {

bool InputRefuses(const wave::PcmFormat& format)
{
    WAVEFORMATEX wfx = ToWaveFormat(format);
    // Only a definite "bad format" counts: with no input at all, recording says so itself.
    return waveInOpen(nullptr, WAVE_MAPPER, &wfx, 0, 0, WAVE_FORMAT_QUERY) == WAVERR_BADFORMAT;
}

HWND NoticeWindow(DWORD flags, DWORD_PTR callback)
{
    return (flags & MCI_NOTIFY) ? reinterpret_cast<HWND>(callback) : nullptr;
}

} // namespace

CEngineDevice::CEngineDevice(MCIDEVICEID id, uint64_t dataLimit)
    : m_id(id), m_dataLimit(dataLimit), m_format(wave::MakePcmFormat(1, 11025, 8)),
      m_timeFormat(MCI_FORMAT_MILLISECONDS)
{
}

CEngineDevice::~CEngineDevice()
{
    Close();
}

MCIERROR CEngineDevice::Load(const char* element)
{
    if (!element || !*element)
        return 0;
    return LoadWaveFile(element, m_content, m_format);
}

void CEngineDevice::Close()
{
    EndActivity(MCI_NOTIFY_ABORTED);
    m_content.Clear();
}

MCIERROR CEngineDevice::SetTimeFormat(DWORD timeFormat)
{
    if (timeFormat != MCI_FORMAT_MILLISECONDS && timeFormat != MCI_FORMAT_BYTES &&
        timeFormat != MCI_FORMAT_SAMPLES)
        return MCIERR_BAD_TIME_FORMAT;
    m_timeFormat = timeFormat;
    return 0;
}

MCIERROR CEngineDevice::SetWaveFormat(DWORD flags, const MCI_WAVE_SET_PARMS& parms, bool askInput)
{
    Reap();
    // The format describes the samples held; it can change only while there are none.
    if (CurrentMode() == Mode::Recording || Length() > 0)
        return MCIERR_NONAPPLICABLE_FUNCTION;
    if ((flags & MCI_WAVE_SET_FORMATTAG) && parms.wFormatTag != WAVE_FORMAT_PCM)
        return MCIERR_OUTOFRANGE;
    wave::PcmFormat format = m_format;
    if (flags & MCI_WAVE_SET_CHANNELS)
        format.channels = parms.nChannels;
    if (flags & MCI_WAVE_SET_SAMPLESPERSEC)
        format.samplesPerSec = parms.nSamplesPerSec;
    if (flags & MCI_WAVE_SET_AVGBYTESPERSEC)
        format.avgBytesPerSec = parms.nAvgBytesPerSec;
    if (flags & MCI_WAVE_SET_BLOCKALIGN)
        format.blockAlign = parms.nBlockAlign;
    if (flags & MCI_WAVE_SET_BITSPERSAMPLE)
        format.bitsPerSample = parms.wBitsPerSample;
    // Inconsistent numbers are refused, never quietly corrected.
    if (wave::CheckPcmFormat(format) != wave::WaveError::None)
        return MCIERR_OUTOFRANGE;
    if (askInput && InputRefuses(format))
        return MCIERR_WAVE_SETINPUTUNSUITABLE;
    m_format = format;
    m_position = 0;
    return 0;
}

MCIERROR CEngineDevice::Status(DWORD item, DWORD_PTR& answer)
{
    Reap();
    switch (item) {
    case MCI_STATUS_POSITION: answer = FromBytes(Position()); return 0;
    case MCI_STATUS_LENGTH: answer = FromBytes(Length()); return 0;
    case MCI_STATUS_TIME_FORMAT: answer = m_timeFormat; return 0;
    case MCI_STATUS_NUMBER_OF_TRACKS:
    case MCI_STATUS_CURRENT_TRACK: answer = 1; return 0;
    case MCI_STATUS_MEDIA_PRESENT: answer = TRUE; return 0;
    case MCI_STATUS_MODE:
        answer = CurrentMode() == Mode::Recording ? MCI_MODE_RECORD
                 : m_paused                       ? MCI_MODE_PAUSE
                 : CurrentMode() == Mode::Playing ? MCI_MODE_PLAY
                                                  : MCI_MODE_STOP;
        return 0;
    case MCI_WAVE_STATUS_FORMATTAG: answer = WAVE_FORMAT_PCM; return 0;
    case MCI_WAVE_STATUS_CHANNELS: answer = m_format.channels; return 0;
    case MCI_WAVE_STATUS_SAMPLESPERSEC: answer = m_format.samplesPerSec; return 0;
    case MCI_WAVE_STATUS_AVGBYTESPERSEC: answer = m_format.avgBytesPerSec; return 0;
    case MCI_WAVE_STATUS_BLOCKALIGN: answer = m_format.blockAlign; return 0;
    case MCI_WAVE_STATUS_BITSPERSAMPLE: answer = m_format.bitsPerSample; return 0;
    default: return MCIERR_BAD_CONSTANT;
    }
}

uint64_t CEngineDevice::RoomToRecord(uint64_t at, bool overwrite) const
{
    const uint64_t limit = std::min<uint64_t>(m_dataLimit, wave::MaxDataBytes(m_format));
    const uint64_t used = overwrite ? at : Length();
    return used < limit ? limit - used : 0;
}

MCIERROR CEngineDevice::Record(DWORD flags, const MCI_RECORD_PARMS& parms)
{
    Reap();
    if ((flags & MCI_RECORD_INSERT) && (flags & MCI_RECORD_OVERWRITE))
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    if ((flags & MCI_WAIT) && !(flags & MCI_TO))
        return MCIERR_FLAGS_NOT_COMPATIBLE;   // would never return
    if ((flags & MCI_FROM) && !InRange(parms.dwFrom))
        return MCIERR_OUTOFRANGE;
    EndActivity(MCI_NOTIFY_SUPERSEDED);
    const uint64_t at = std::min((flags & MCI_FROM) ? ToBytes(parms.dwFrom) : m_position, Length());
    const bool overwrite = (flags & MCI_RECORD_OVERWRITE) != 0;
    uint64_t room = RoomToRecord(at, overwrite);
    if (flags & MCI_TO) {
        const uint64_t to = ToBytes(parms.dwTo);
        if (to < at)
            return MCIERR_OUTOFRANGE;
        room = std::min(room, to - at);
    }
    auto take = std::make_shared<CTempFile>();
    if (!take->CreateTake())
        return MCIERR_FILE_WRITE;
    auto notice = std::make_shared<CMciNotice>(NoticeWindow(flags, parms.dwCallback), m_id);
    auto recorder = std::make_unique<CWaveRecorder>(m_format, take, room, notice);
    const MCIERROR error = recorder->Start();
    if (error)
        return error;
    m_recorder = std::move(recorder);
    m_take = take;
    m_notice = notice;
    m_recordAt = at;
    m_overwrite = overwrite;
    if (flags & MCI_WAIT)
        WaitUntilEnded();
    return 0;
}

MCIERROR CEngineDevice::Play(DWORD flags, const MCI_PLAY_PARMS& parms)
{
    Reap();
    if (((flags & MCI_FROM) && !InRange(parms.dwFrom)) || ((flags & MCI_TO) && !InRange(parms.dwTo)))
        return MCIERR_OUTOFRANGE;
    EndActivity(MCI_NOTIFY_SUPERSEDED);
    const uint64_t length = Length();
    // A "from" equal to the reported length, which is rounded to the time format, may convert
    // back to a little past the end; it means the end.
    const uint64_t from = std::min((flags & MCI_FROM) ? ToBytes(parms.dwFrom) : m_position, length);
    const uint64_t to = (flags & MCI_TO) ? std::min(ToBytes(parms.dwTo), length) : length;
    if (from > to)
        return MCIERR_OUTOFRANGE;
    auto notice = std::make_shared<CMciNotice>(NoticeWindow(flags, parms.dwCallback), m_id);
    auto player = std::make_unique<CWavePlayer>(m_format, m_content, from, to, notice);
    const MCIERROR error = player->Start();
    if (error)
        return error;
    m_player = std::move(player);
    m_notice = notice;
    m_playFrom = from;
    m_position = from;
    if (flags & MCI_WAIT)
        WaitUntilEnded();
    return 0;
}

void CEngineDevice::WaitUntilEnded()
{
    while ((m_recorder && !m_recorder->HasEnded()) || (m_player && !m_player->HasEnded()))
        Sleep(10);
    Reap();
}

MCIERROR CEngineDevice::Stop()
{
    Reap();
    EndActivity(MCI_NOTIFY_ABORTED);
    return 0;
}

MCIERROR CEngineDevice::Pause()
{
    Reap();
    if (m_player)
        m_player->Pause();
    else if (m_recorder)
        m_recorder->Pause();
    else
        return 0;
    m_paused = true;
    return 0;
}

MCIERROR CEngineDevice::Resume()
{
    Reap();
    if (!m_paused)
        return 0;
    if (m_player)
        m_player->Resume();
    if (m_recorder)
        m_recorder->Resume();
    m_paused = false;
    return 0;
}

MCIERROR CEngineDevice::Seek(DWORD flags, const MCI_SEEK_PARMS& parms)
{
    Reap();
    const DWORD targets = flags & (MCI_TO | MCI_SEEK_TO_START | MCI_SEEK_TO_END);
    if (targets == 0)
        return MCIERR_MISSING_PARAMETER;
    if (targets != MCI_TO && targets != MCI_SEEK_TO_START && targets != MCI_SEEK_TO_END)
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    if ((flags & MCI_TO) && !InRange(parms.dwTo))
        return MCIERR_OUTOFRANGE;
    EndActivity(MCI_NOTIFY_ABORTED);
    if (flags & MCI_TO)
        m_position = std::min(ToBytes(parms.dwTo), Length());
    else
        m_position = (flags & MCI_SEEK_TO_END) ? Length() : 0;
    return 0;
}

MCIERROR CEngineDevice::Save(const char* path)
{
    Reap();
    if (CurrentMode() == Mode::Recording)
        return MCIERR_NONAPPLICABLE_FUNCTION;   // the take is not part of the content yet
    return SaveWaveFile(path, m_content, m_format);
}

void CEngineDevice::Reap()
{
    if (m_recorder && m_recorder->HasEnded())
        FinishRecording();
    if (m_player && m_player->HasEnded())
        FinishPlayback();
}

void CEngineDevice::EndActivity(WPARAM code)
{
    if (m_notice)
        m_notice->Post(code);
    if (m_recorder)
        FinishRecording();
    if (m_player)
        FinishPlayback();
    m_notice.reset();
}

void CEngineDevice::FinishRecording()
{
    m_recorder->Stop();
    const uint64_t recorded = m_recorder->RecordedBytes();
    const CPcmContent::Piece piece{m_take, wave::kPcmHeaderBytes, recorded};
    if (m_overwrite)
        m_content.Overwrite(m_recordAt, piece);
    else
        m_content.Insert(m_recordAt, piece);
    m_position = m_recordAt + recorded;
    m_recorder.reset();
    m_take.reset();
    m_paused = false;
}

void CEngineDevice::FinishPlayback()
{
    m_player->Stop();
    m_position = m_playFrom + m_player->PlayedBytes();
    m_player.reset();
    m_paused = false;
}

CEngineDevice::Mode CEngineDevice::CurrentMode() const
{
    return m_recorder ? Mode::Recording : m_player ? Mode::Playing : Mode::Stopped;
}

uint64_t CEngineDevice::Position() const
{
    if (m_recorder)
        return m_recordAt + m_recorder->RecordedBytes();
    if (m_player)
        return m_playFrom + m_player->PlayedBytes();
    return m_position;
}

uint64_t CEngineDevice::Length() const
{
    const uint64_t length = m_content.Length();
    if (!m_recorder)
        return length;
    const uint64_t recorded = m_recorder->RecordedBytes();
    return m_overwrite ? std::max(length, m_recordAt + recorded) : length + recorded;
}

uint64_t CEngineDevice::ToBytes(DWORD value) const
{
    uint64_t bytes;
    if (m_timeFormat == MCI_FORMAT_BYTES)
        bytes = value;
    else if (m_timeFormat == MCI_FORMAT_SAMPLES)
        bytes = static_cast<uint64_t>(value) * m_format.blockAlign;
    else
        bytes = static_cast<uint64_t>(value) * m_format.avgBytesPerSec / 1000;
    return bytes - bytes % m_format.blockAlign;
}

DWORD CEngineDevice::FromBytes(uint64_t bytes) const
{
    uint64_t value;
    if (m_timeFormat == MCI_FORMAT_BYTES)
        value = bytes;
    else if (m_timeFormat == MCI_FORMAT_SAMPLES)
        value = bytes / m_format.blockAlign;
    else   // nearest millisecond: a 1.5 s file of 11025 Hz is 1500 ms, not 1499
        value = (bytes * 1000 + m_format.avgBytesPerSec / 2) / m_format.avgBytesPerSec;
    return static_cast<DWORD>(std::min<uint64_t>(value, 0xFFFFFFFFu));
}
