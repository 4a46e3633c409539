#include "CEngineDevice.h"
#include "CWaveFile.h"
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

CEngineDevice::CEngineDevice(MCIDEVICEID id, const EngineSeams& seams)
    : m_id(id), m_seams(seams), m_format(wave::MakeWaveFormat(wave::MakePcmFormat(1, 11025, 8)))
{
}

CEngineDevice::~CEngineDevice()
{
    EndActivity(MCI_NOTIFY_ABORTED);
}

MCIERROR CEngineDevice::Load(const char* element, bool asTake)
{
    if (!element || !*element)
        return 0;
    if (asTake) {
        // The take as if just recorded: saved by moving where it can be.
        return OpenTakeFile(element, m_take, m_offset, m_length, m_format);
    }
    return OpenWaveFile(element, m_file, m_length, m_format);
}

MCIERROR CEngineDevice::SetTimeFormat(DWORD timeFormat)
{
    return timeFormat == MCI_FORMAT_MILLISECONDS ? 0 : MCIERR_BAD_TIME_FORMAT;
}

MCIERROR CEngineDevice::SetWaveFormat(DWORD flags, const MCI_WAVE_SET_PARMS& parms, bool askInput)
{
    Reap();
    // The format describes the samples held; it can change only while there are none.
    if (m_recorder || Length() > 0)
        return MCIERR_NONAPPLICABLE_FUNCTION;
    if ((flags & MCI_WAVE_SET_FORMATTAG) && parms.wFormatTag != WAVE_FORMAT_PCM)
        return MCIERR_OUTOFRANGE;
    wave::PcmFormat format = m_format;   // an empty file's format, cut to what a recording keeps
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
    if (wave::CheckRecordingFormat(format) != wave::WaveError::None)
        return MCIERR_OUTOFRANGE;
    if (askInput && InputRefuses(format))
        return MCIERR_WAVE_SETINPUTUNSUITABLE;
    m_format = wave::MakeWaveFormat(format);
    return 0;
}

DWORD CEngineDevice::Status(DWORD item)
{
    Reap();
    switch (item) {
    case MCI_STATUS_POSITION: return ToMs(Position());
    case MCI_STATUS_LENGTH: return ToMs(Length());
    case MCI_WAVE_STATUS_CHANNELS: return m_format.channels;
    case MCI_WAVE_STATUS_SAMPLESPERSEC: return m_format.samplesPerSec;
    case MCI_WAVE_STATUS_BITSPERSAMPLE: return m_format.bitsPerSample;
    case MCI_WAVE_STATUS_LEVEL:
    default:   // the contract lets no other item through
        return Level();
    }
}

MCIERROR CEngineDevice::Record(DWORD flags, const MCI_RECORD_PARMS& parms, std::function<bool()> soundSystemReady)
{
    Reap();
    // A device records one take, into nothing: a new device, as the window opens for each.
    if (m_recorder || m_player || m_length > 0)
        return MCIERR_NONAPPLICABLE_FUNCTION;
    if (!wave::IsRecordingFormat(m_format))
        return MCIERR_WAVE_SETINPUTUNSUITABLE;   // an empty file's format, not one we record in
    auto take = m_seams.newTake ? m_seams.newTake() : std::make_shared<CTempFile>();
    if (!take->CreateTake())
        return MCIERR_FILE_WRITE;
    auto notice = std::make_shared<CMciNotice>(NoticeWindow(flags, parms.dwCallback), m_id);
    const uint64_t limit = std::min<uint64_t>(m_seams.dataLimit, wave::MaxDataBytes(m_format));
    auto recorder = std::make_unique<CWaveRecorder>(m_format, take, limit, notice, std::move(soundSystemReady));
    if (const MCIERROR error = recorder->Start())
        return error;
    m_recorder = std::move(recorder);
    m_take = take;
    m_offset = wave::kPcmHeaderBytes;
    m_notice = notice;
    return 0;
}

MCIERROR CEngineDevice::Play(DWORD flags, const MCI_PLAY_PARMS& parms)
{
    Reap();
    if (m_recorder)
        return MCIERR_NONAPPLICABLE_FUNCTION;   // the take is no sound to play until it stops
    const DWORD lengthMs = ToMs(m_length);
    if (((flags & MCI_FROM) && parms.dwFrom > lengthMs) || ((flags & MCI_TO) && parms.dwTo > lengthMs))
        return MCIERR_OUTOFRANGE;
    EndActivity(MCI_NOTIFY_SUPERSEDED);
    // A "from" equal to the reported length, which is rounded to the millisecond, may convert
    // back to a little past the end; it means the end.
    const uint64_t from = std::min((flags & MCI_FROM) ? ToBytes(parms.dwFrom) : m_position, m_length);
    const uint64_t to = (flags & MCI_TO) ? std::min(ToBytes(parms.dwTo), m_length) : m_length;
    if (from > to)
        return MCIERR_OUTOFRANGE;
    auto notice = std::make_shared<CMciNotice>(NoticeWindow(flags, parms.dwCallback), m_id);
    auto player = std::make_unique<CWavePlayer>(m_format, Sound(), m_offset, from, to, notice);
    const MCIERROR error = player->Start();
    if (error)
        return error;
    m_player = std::move(player);
    m_notice = notice;
    m_playFrom = from;
    m_position = from;
    return 0;
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
        m_player->Pause();   // the player alone knows whether it is paused
    return 0;
}

MCIERROR CEngineDevice::Resume()
{
    Reap();
    if (m_player)
        m_player->Resume();
    return 0;
}

MCIERROR CEngineDevice::Seek(const MCI_SEEK_PARMS& parms)
{
    Reap();
    if (parms.dwTo > ToMs(Length()))
        return MCIERR_OUTOFRANGE;
    EndActivity(MCI_NOTIFY_ABORTED);
    m_position = std::min(ToBytes(parms.dwTo), m_length);
    return 0;
}

MCIERROR CEngineDevice::Save(const char* path)
{
    Reap();
    if (m_recorder)
        return MCIERR_NONAPPLICABLE_FUNCTION;   // the take is not the device's sound yet
    std::string target;
    if (const MCIERROR refused = SaveTarget(path, target))
        return refused;
    // The take is a whole WAVE file already: on the same volume the least a save costs is a rename.
    if (m_take && MoveTakeIntoPlace(*m_take, m_offset, m_length, m_format, target)) {
        HoldSaved(target);
        return 0;
    }
    return SaveWaveFile(target, Sound(), m_offset, m_length, m_format, m_file.get(), m_yield);
}

void CEngineDevice::HoldSaved(const std::string& target)
{
    const HANDLE held = CWaveFile::Hold(target.c_str());
    if (held == INVALID_HANDLE_VALUE)
        return;   // reads go on from the moved take all the same
    m_file = std::make_shared<CWaveFile>(held, wave::WaveHeaderBytes(m_format), m_length);
    m_take.reset();   // a play may still read from it
    m_offset = 0;
}

std::shared_ptr<wave::IWaveByteSource> CEngineDevice::Sound() const
{
    if (m_take)
        return m_take;
    return m_file;
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
    m_length = m_recorder->RecordedBytes();
    m_position = m_length;
    m_recorder.reset();
}

void CEngineDevice::FinishPlayback()
{
    m_player->Stop();
    m_position = m_playFrom + m_player->PlayedBytes();
    m_player.reset();
}

uint64_t CEngineDevice::Position() const
{
    if (m_recorder)
        return m_recorder->RecordedBytes();
    if (m_player)
        return m_playFrom + m_player->PlayedBytes();
    return m_position;
}

uint32_t CEngineDevice::Level() const
{
    if (m_recorder)
        return m_recorder->Level();
    if (m_player)
        return m_player->Level();
    return 0;
}

uint64_t CEngineDevice::Length() const
{
    return m_recorder ? m_recorder->RecordedBytes() : m_length;
}

uint64_t CEngineDevice::ToBytes(DWORD ms) const
{
    const uint64_t bytes = static_cast<uint64_t>(ms) * m_format.avgBytesPerSec / 1000;
    return bytes - bytes % m_format.blockAlign;
}

DWORD CEngineDevice::ToMs(uint64_t bytes) const
{
    return wave::DurationMs(bytes, m_format);
}
