#pragma once
#include "CWavePlayer.h"
#include "CWaveFile.h"
#include "CWaveRecorder.h"
#include "MciPort.h"
#include <functional>
#include <memory>

// What a test may change in an engine of its own (CWaveEngine); the program's engine keeps
// the defaults, which cost it nothing.
struct EngineSeams {
    // The most sound a take holds: the largest a WAVE file can, unless a test wants it in seconds.
    uint64_t dataLimit = 0xFFFFFFFFu;
    // Makes a take's file: a test may put takes on a disk of its own, a slow one.
    std::function<std::shared_ptr<CTempFile>()> newTake;
};

// One open waveaudio device: its sound, format and position, and the take or play running on
// it. It does what the recorder's window asks of a device and no more: a new device records one
// take, a file's device plays and saves, all in milliseconds. Called from the window thread
// only; the workers it starts report back through atomics and the notice, never by calling in.
class CEngineDevice {
public:
    CEngineDevice(MCIDEVICEID id, const EngineSeams& seams);
    ~CEngineDevice();

    // "" or null: a new, empty recording; asTake: a take file an earlier Vorsel left.
    MCIERROR Load(const char* element, bool asTake);
    MCIERROR SetTimeFormat(DWORD timeFormat);
    MCIERROR SetWaveFormat(DWORD flags, const MCI_WAVE_SET_PARMS& parms, bool askInput);
    // The answer to a status item the contract (MciContract.h) lets through.
    DWORD Status(DWORD item);
    // Records into a take of its own. Returns once the take is ready: the input is opened
    // after soundSystemReady says the sound system has started, and its failure is a failure
    // notice.
    MCIERROR Record(DWORD flags, const MCI_RECORD_PARMS& parms, std::function<bool()> soundSystemReady);
    MCIERROR Play(DWORD flags, const MCI_PLAY_PARMS& parms);
    MCIERROR Stop();
    MCIERROR Pause();
    MCIERROR Resume();
    MCIERROR Seek(const MCI_SEEK_PARMS& parms);
    // A take on the target's volume is moved there; any other save copies, calling the
    // device's yield procedure meanwhile. Either way the device then holds the saved file.
    MCIERROR Save(const char* path);
    void SetYield(MciYield yield) { m_yield = std::move(yield); }

private:
    // Collects a worker that ended by itself (natural end, limit, failure).
    void Reap();
    // Ends the running take or play, owing its caller 'code'.
    void EndActivity(WPARAM code);
    void FinishRecording();
    void FinishPlayback();
    // After a take was moved onto target: the device holds that file as an opened one.
    void HoldSaved(const std::string& target);
    uint64_t Position() const;
    uint64_t Length() const;
    // What the running take delivers or the play is heard at; 0 at any other time.
    uint32_t Level() const;
    // Milliseconds to bytes (whole blocks) and back (nearest millisecond).
    uint64_t ToBytes(DWORD ms) const;
    DWORD ToMs(uint64_t bytes) const;

    MCIDEVICEID m_id;
    const EngineSeams m_seams;
    // The sound's format: the file's own, or the recording format.
    wave::WaveFormat m_format;
    // The sound: m_length bytes from m_offset on in the take, or in the user's file held open.
    std::shared_ptr<wave::IWaveByteSource> Sound() const;
    std::shared_ptr<CTempFile> m_take;
    std::shared_ptr<CWaveFile> m_file;
    uint64_t m_offset = 0;
    uint64_t m_length = 0;
    uint64_t m_position = 0;
    std::shared_ptr<CMciNotice> m_notice;
    std::unique_ptr<CWaveRecorder> m_recorder;
    std::unique_ptr<CWavePlayer> m_player;
    uint64_t m_playFrom = 0;
    MciYield m_yield;
};
