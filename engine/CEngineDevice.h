#pragma once
#include "CMciNotice.h"
#include "CPcmContent.h"
#include "CWavePlayer.h"
#include "CWaveRecorder.h"
#include "WaveCodec.h"
#include <memory>

// One open waveaudio device: its content, format, time format and position, and the
// recording or playback running on it. Called from the window thread only; the workers
// it starts report back through atomics and the notice, never by calling in here.
class CEngineDevice {
public:
    CEngineDevice(MCIDEVICEID id, uint64_t dataLimit);
    ~CEngineDevice();

    MCIERROR Load(const char* element);   // "" or null: a new, empty recording
    void Close();
    MCIERROR SetTimeFormat(DWORD timeFormat);
    MCIERROR SetWaveFormat(DWORD flags, const MCI_WAVE_SET_PARMS& parms, bool askInput);
    MCIERROR Status(DWORD item, DWORD_PTR& answer);
    MCIERROR Record(DWORD flags, const MCI_RECORD_PARMS& parms);
    MCIERROR Play(DWORD flags, const MCI_PLAY_PARMS& parms);
    MCIERROR Stop();
    MCIERROR Pause();
    MCIERROR Resume();
    MCIERROR Seek(DWORD flags, const MCI_SEEK_PARMS& parms);
    MCIERROR Save(const char* path);

private:
    enum class Mode { Stopped, Recording, Playing };

    // Collects a worker that ended by itself (natural end, limit, failure).
    void Reap();
    // Ends the running record or play, owing its caller 'code'.
    void EndActivity(WPARAM code);
    void FinishRecording();
    void FinishPlayback();
    Mode CurrentMode() const;
    uint64_t Position() const;
    uint64_t Length() const;
    // Conversions between the current time format and byte offsets (whole blocks).
    uint64_t ToBytes(DWORD value) const;
    DWORD FromBytes(uint64_t bytes) const;
    // True if 'value' (in the time format) lies within the content.
    bool InRange(DWORD value) const { return value <= FromBytes(Length()); }
    uint64_t RoomToRecord(uint64_t at, bool overwrite) const;
    void WaitUntilEnded();

    MCIDEVICEID m_id;
    uint64_t m_dataLimit;
    wave::PcmFormat m_format;
    DWORD m_timeFormat;
    CPcmContent m_content;
    uint64_t m_position = 0;
    bool m_paused = false;
    std::shared_ptr<CMciNotice> m_notice;
    std::unique_ptr<CWaveRecorder> m_recorder;
    std::shared_ptr<CTempFile> m_take;
    uint64_t m_recordAt = 0;
    bool m_overwrite = false;
    std::unique_ptr<CWavePlayer> m_player;
    uint64_t m_playFrom = 0;
};
