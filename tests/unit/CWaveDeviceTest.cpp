// CWaveDevice over a scripted device: what each operation sends, what it stores and shows,
// and what it refuses without sending anything.
#include <gtest/gtest.h>
#include "CWaveDevice.h"
#include "RecordingUiSeam.h"
#include "ScriptedMciPort.h"

namespace {
const HWND WINDOW = reinterpret_cast<HWND>(0x1234);

class WaveDeviceTest : public ::testing::Test {
protected:
    ScriptedMciPort port;
    ScopedMciPort scope{ &port };
    RecordingUiSeam ui;
    ScopedUiSeam uiScope{ &ui };

    // Opens a device and forgets what that sent, so a test sees only its own commands.
    void OpenFresh(CWaveDevice& wave, const char* name = "take.wav")
    {
        ASSERT_EQ(1u, wave.Open(name));
        port.sent.clear();
        ui.boxes.clear();
    }
};

TEST_F(WaveDeviceTest, OpenSendsTheOpenRecordThenSwitchesToMilliseconds)
{
    CWaveDevice wave;
    EXPECT_EQ(1u, wave.Open(""));
    ASSERT_EQ(2u, port.sent.size());   // no close: nothing was open
    const SentCommand& open = port.sent[0];
    EXPECT_EQ(0u, open.id);
    EXPECT_EQ(static_cast<UINT>(MCI_OPEN), open.msg);
    EXPECT_EQ(0x2202u, open.flags);
    EXPECT_EQ("waveaudio", open.deviceType);
    EXPECT_EQ("", open.element);
    EXPECT_EQ(0u, open.callback);
    const SentCommand& set = port.sent[1];
    EXPECT_EQ(open.openedId, set.id);
    EXPECT_EQ(static_cast<UINT>(MCI_SET), set.msg);
    EXPECT_EQ(0x0402u, set.flags);
    EXPECT_EQ(static_cast<DWORD>(MCI_FORMAT_MILLISECONDS), set.timeFormat);
    EXPECT_TRUE(wave.m_bReady);
    EXPECT_EQ(open.openedId, wave.m_wDeviceID);
}

TEST_F(WaveDeviceTest, OpenClosesThePreviousDeviceAndEndsItsActivity)
{
    CWaveDevice wave;
    OpenFresh(wave);
    const UINT first = wave.m_wDeviceID;
    wave.Play(WINDOW, 0, 0);
    wave.Pause();
    port.sent.clear();
    EXPECT_EQ(1u, wave.Open("other.wav"));
    ASSERT_GE(port.sent.size(), 2u);
    EXPECT_EQ(static_cast<UINT>(MCI_CLOSE), port.sent[0].msg);
    EXPECT_EQ(first, port.sent[0].id);
    EXPECT_EQ(0u, port.sent[0].flags);
    EXPECT_FALSE(port.sent[0].hasParams);
    EXPECT_EQ("other.wav", port.sent[1].element);
    EXPECT_NE(first, wave.m_wDeviceID);
    EXPECT_FALSE(wave.m_bPlaying);
    EXPECT_FALSE(wave.m_bPaused);

    // A recording whose device is closed is over, whether or not the next open succeeds.
    OpenFresh(wave, "");
    wave.Record(WINDOW);
    port.FailNext(MCI_OPEN, MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(0u, wave.Open("missing.wav"));
    EXPECT_FALSE(wave.m_bRecording);
    EXPECT_EQ(1u, wave.Stop());
    EXPECT_FALSE(wave.m_bReady);   // no content appears out of nothing
}

TEST_F(WaveDeviceTest, FailedCloseKeepsTheActivityOfTheDeviceStillOpen)
{
    CWaveDevice wave;
    OpenFresh(wave);
    wave.Play(WINDOW, 0, 0);
    port.FailNext(MCI_CLOSE, MCIERR_INTERNAL);
    EXPECT_EQ(0u, wave.Close());
    EXPECT_TRUE(wave.m_bPlaying);
}

TEST_F(WaveDeviceTest, FailedOpenIsShownOnceAndLeavesNothingOpen)
{
    CWaveDevice wave;
    port.FailNext(MCI_OPEN, MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(0u, wave.Open("missing.wav"));
    EXPECT_EQ(0u, wave.m_wDeviceID);
    EXPECT_FALSE(wave.m_bReady);
    EXPECT_EQ(static_cast<DWORD>(MCIERR_FILE_NOT_FOUND), wave.m_dwLastError);
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(nullptr, ui.boxes[0].owner);
    EXPECT_EQ("(null)", ui.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), ui.boxes[0].type);
    EXPECT_EQ("device error 275", ui.boxes[0].text);
    EXPECT_EQ(1u, port.Count(MCI_OPEN));
    EXPECT_EQ(0u, port.Count(MCI_SET));
}

TEST_F(WaveDeviceTest, FailedTimeFormatIsShownButOpenStillSucceeds)
{
    CWaveDevice wave;
    port.FailNext(MCI_SET, MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(1u, wave.Open("x.wav"));
    EXPECT_TRUE(wave.m_bReady);
    EXPECT_EQ(static_cast<DWORD>(MCIERR_UNSUPPORTED_FUNCTION), wave.m_dwLastError);
    EXPECT_EQ(1u, ui.boxes.size());
}

TEST_F(WaveDeviceTest, FailedCloseInsideOpenIsShownAndTheOpenGoesOn)
{
    CWaveDevice wave;
    OpenFresh(wave);
    port.FailNext(MCI_CLOSE, MCIERR_INTERNAL);
    EXPECT_EQ(1u, wave.Open("next.wav"));
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(port.Sent(MCI_OPEN)[0].openedId, wave.m_wDeviceID);
}

TEST_F(WaveDeviceTest, CloseRulesWithAndWithoutADevice)
{
    CWaveDevice wave;
    wave.m_bReady = 1;
    EXPECT_EQ(0u, wave.Close());   // nothing open: nothing sent, nothing shown
    EXPECT_FALSE(wave.m_bReady);
    EXPECT_TRUE(port.sent.empty());
    EXPECT_TRUE(ui.boxes.empty());

    OpenFresh(wave);
    const UINT id = wave.m_wDeviceID;
    port.FailNext(MCI_CLOSE, MCIERR_INTERNAL);
    EXPECT_EQ(0u, wave.Close());
    EXPECT_EQ(id, wave.m_wDeviceID);   // a failed close keeps the identifier
    EXPECT_FALSE(wave.m_bReady);
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(1u, wave.Close());
    EXPECT_EQ(0u, wave.m_wDeviceID);
}

TEST_F(WaveDeviceTest, DestructorClosesTheOpenDevice)
{
    UINT id = 0;
    {
        CWaveDevice wave;
        OpenFresh(wave);
        id = wave.m_wDeviceID;
    }
    ASSERT_EQ(1u, port.Count(MCI_CLOSE));
    EXPECT_EQ(id, port.Sent(MCI_CLOSE)[0].id);
}

TEST_F(WaveDeviceTest, SetFormatFillsTheSixFieldsWithWholeByteArithmetic)
{
    CWaveDevice wave;
    EXPECT_EQ(0u, wave.SetFormat(2, 44100, 16));   // no device: refused silently
    EXPECT_TRUE(port.sent.empty());

    OpenFresh(wave);
    struct { WORD ch; DWORD rate; WORD bits; DWORD avg; WORD align; } cases[] = {
        { 2, 44100, 16, 176400, 4 }, { 1, 8000, 8, 8000, 1 }, { 1, 6000, 8, 6000, 1 },
        { 2, 22050, 8, 44100, 2 }, { 1, 11025, 12, 11025, 1 },   // 12 bits: 12 >> 3 = 1 byte
    };
    for (const auto& c : cases) {
        port.sent.clear();
        EXPECT_EQ(1u, wave.SetFormat(c.ch, c.rate, c.bits));
        ASSERT_EQ(1u, port.sent.size());
        const SentCommand& s = port.sent[0];
        EXPECT_EQ(0x003F0002u, s.flags);
        EXPECT_EQ(static_cast<WORD>(WAVE_FORMAT_PCM), s.wave.wFormatTag);
        EXPECT_EQ(c.ch, s.wave.nChannels);
        EXPECT_EQ(c.rate, s.wave.nSamplesPerSec);
        EXPECT_EQ(c.avg, s.wave.nAvgBytesPerSec);
        EXPECT_EQ(c.align, s.wave.nBlockAlign);
        EXPECT_EQ(c.bits, s.wave.wBitsPerSample);
    }
    port.FailNext(MCI_SET, MCIERR_OUTOFRANGE);
    EXPECT_EQ(0u, wave.SetFormat(2, 44100, 16));
    EXPECT_EQ(1u, ui.boxes.size());
}

TEST_F(WaveDeviceTest, GetFormatReadsThreeItemsAndStopsSilentlyAtTheFirstFailure)
{
    CWaveDevice wave;
    WORD ch = 99, bits = 99;
    DWORD rate = 99;
    EXPECT_EQ(0u, wave.GetFormat(&ch, &rate, &bits));
    EXPECT_EQ(99, ch);

    OpenFresh(wave);
    port.statusAnswers[MCI_WAVE_STATUS_CHANNELS] = 0x00010001;   // only the low word counts
    port.statusAnswers[MCI_WAVE_STATUS_SAMPLESPERSEC] = 22050;
    port.statusAnswers[MCI_WAVE_STATUS_BITSPERSAMPLE] = 8;
    EXPECT_EQ(1u, wave.GetFormat(&ch, &rate, &bits));
    EXPECT_EQ(1, ch);
    EXPECT_EQ(22050u, rate);
    EXPECT_EQ(8, bits);
    auto status = port.Sent(MCI_STATUS);
    ASSERT_EQ(3u, status.size());
    EXPECT_EQ(static_cast<DWORD>(MCI_WAVE_STATUS_CHANNELS), status[0].item);
    EXPECT_EQ(static_cast<DWORD>(MCI_WAVE_STATUS_SAMPLESPERSEC), status[1].item);
    EXPECT_EQ(static_cast<DWORD>(MCI_WAVE_STATUS_BITSPERSAMPLE), status[2].item);
    EXPECT_EQ(0x0100u, status[0].flags);

    ch = 99, rate = 99, bits = 99;
    port.sent.clear();
    port.FailNext(MCI_STATUS, 0);
    port.FailNext(MCI_STATUS, MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(0u, wave.GetFormat(&ch, &rate, &bits));
    EXPECT_EQ(1, ch);        // written before the failure
    EXPECT_EQ(99u, rate);    // not written
    EXPECT_EQ(99, bits);
    EXPECT_EQ(2u, port.Count(MCI_STATUS));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(static_cast<DWORD>(MCIERR_UNSUPPORTED_FUNCTION), wave.m_dwLastError);
}

TEST_F(WaveDeviceTest, RecordSendsNotifyOnlyAndTakesTheContentAway)
{
    CWaveDevice wave;
    OpenFresh(wave, "");
    EXPECT_EQ(1u, wave.Record(WINDOW));
    ASSERT_EQ(1u, port.sent.size());
    EXPECT_EQ(static_cast<UINT>(MCI_RECORD), port.sent[0].msg);
    EXPECT_EQ(static_cast<DWORD_PTR>(MCI_NOTIFY), port.sent[0].flags);
    EXPECT_EQ(reinterpret_cast<DWORD_PTR>(WINDOW), port.sent[0].callback);
    EXPECT_TRUE(wave.m_bRecording);
    EXPECT_FALSE(wave.m_bReady);
}

TEST_F(WaveDeviceTest, RecordWithoutADeviceGoesToIdZeroAndFailsVisibly)
{
    CWaveDevice wave;
    port.FailNext(MCI_RECORD, MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(0u, wave.Record(WINDOW));
    ASSERT_EQ(1u, port.sent.size());
    EXPECT_EQ(0u, port.sent[0].id);
    EXPECT_FALSE(wave.m_bRecording);
    EXPECT_FALSE(wave.m_bReady);
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(0u, wave.Play(WINDOW, 0, 0));   // nothing to play after a failed record
    EXPECT_EQ(1u, port.sent.size());
}

TEST_F(WaveDeviceTest, StopAfterRecordingMakesContentAndRewinds)
{
    CWaveDevice wave;
    OpenFresh(wave, "");
    wave.Record(WINDOW);
    port.sent.clear();
    EXPECT_EQ(1u, wave.Stop());
    ASSERT_EQ(2u, port.sent.size());
    EXPECT_EQ(static_cast<UINT>(MCI_STOP), port.sent[0].msg);
    EXPECT_EQ(static_cast<DWORD_PTR>(MCI_WAIT), port.sent[0].flags);
    EXPECT_EQ(static_cast<UINT>(MCI_SEEK), port.sent[1].msg);
    EXPECT_EQ(0x000Au, port.sent[1].flags);
    EXPECT_EQ(0u, port.sent[1].to);
    EXPECT_FALSE(wave.m_bRecording);
    EXPECT_TRUE(wave.m_bReady);
}

TEST_F(WaveDeviceTest, StopIgnoresDeviceFailuresAndSendsNothingWhenIdle)
{
    CWaveDevice wave;
    OpenFresh(wave);
    EXPECT_EQ(1u, wave.Stop());
    EXPECT_TRUE(port.sent.empty());

    wave.Play(WINDOW, 0, 0);
    port.sent.clear();
    wave.m_dwLastError = 0;
    port.FailNext(MCI_STOP, MCIERR_INTERNAL);
    port.FailNext(MCI_SEEK, MCIERR_INTERNAL);
    EXPECT_EQ(1u, wave.Stop());
    EXPECT_FALSE(wave.m_bPlaying);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(0u, wave.m_dwLastError);   // neither stored nor shown
}

TEST_F(WaveDeviceTest, PlayFlagsFollowFromAndTo)
{
    CWaveDevice wave;
    EXPECT_EQ(0u, wave.Play(WINDOW, 0, 0));   // nothing ready: refused silently
    EXPECT_TRUE(port.sent.empty());
    EXPECT_TRUE(ui.boxes.empty());

    OpenFresh(wave);
    struct { DWORD from, to, flags; } cases[] = {
        { 0, 0, 0x0001 }, { 500, 500, 0x0005 }, { 0, 700, 0x0009 }, { 500, 900, 0x000D },
    };
    for (const auto& c : cases) {
        port.sent.clear();
        EXPECT_EQ(1u, wave.Play(WINDOW, c.from, c.to));
        ASSERT_EQ(1u, port.sent.size());
        EXPECT_EQ(static_cast<UINT>(MCI_PLAY), port.sent[0].msg);
        EXPECT_EQ(c.flags, port.sent[0].flags);
        EXPECT_EQ(c.from, port.sent[0].from);
        EXPECT_EQ(c.to, port.sent[0].to);
        EXPECT_EQ(reinterpret_cast<DWORD_PTR>(WINDOW), port.sent[0].callback);
    }
    EXPECT_TRUE(wave.m_bPlaying);
    EXPECT_TRUE(wave.m_bReady);
}

TEST_F(WaveDeviceTest, FailedPlayIsShownAndChangesNoFlag)
{
    CWaveDevice wave;
    OpenFresh(wave);
    port.FailNext(MCI_PLAY, MCIERR_WAVE_OUTPUTSINUSE);
    EXPECT_EQ(0u, wave.Play(WINDOW, 0, 0));
    EXPECT_FALSE(wave.m_bPlaying);
    EXPECT_EQ(1u, ui.boxes.size());
}

TEST_F(WaveDeviceTest, PauseTogglesPlaybackAndLeavesRecordingAlone)
{
    CWaveDevice wave;
    OpenFresh(wave);
    wave.Play(WINDOW, 0, 0);
    port.sent.clear();
    EXPECT_EQ(1u, wave.Pause());
    EXPECT_FALSE(wave.m_bPlaying);
    EXPECT_TRUE(wave.m_bPaused);
    EXPECT_EQ(1u, wave.Pause());
    EXPECT_TRUE(wave.m_bPlaying);
    EXPECT_FALSE(wave.m_bPaused);
    ASSERT_EQ(2u, port.sent.size());
    EXPECT_EQ(static_cast<UINT>(MCI_PAUSE), port.sent[0].msg);
    EXPECT_EQ(static_cast<UINT>(MCI_RESUME), port.sent[1].msg);
    EXPECT_EQ(static_cast<DWORD_PTR>(MCI_WAIT), port.sent[1].flags);

    CWaveDevice recording;
    OpenFresh(recording, "");
    recording.Record(WINDOW);
    port.sent.clear();
    EXPECT_EQ(1u, recording.Pause());
    EXPECT_TRUE(port.sent.empty());
    EXPECT_TRUE(recording.m_bRecording);
}

TEST_F(WaveDeviceTest, StopEndsAPausedPlaybackAndPlayClearsPaused)
{
    CWaveDevice wave;
    OpenFresh(wave);
    wave.Play(WINDOW, 0, 0);
    wave.Pause();
    port.sent.clear();
    EXPECT_EQ(1u, wave.Stop());
    EXPECT_FALSE(wave.m_bPaused);
    EXPECT_FALSE(wave.m_bPlaying);
    ASSERT_EQ(2u, port.sent.size());
    EXPECT_EQ(static_cast<UINT>(MCI_STOP), port.sent[0].msg);
    EXPECT_EQ(static_cast<UINT>(MCI_SEEK), port.sent[1].msg);

    wave.m_bPaused = 1;   // however it came about, a successful play is not paused
    EXPECT_EQ(1u, wave.Play(WINDOW, 0, 0));
    EXPECT_FALSE(wave.m_bPaused);
}

TEST_F(WaveDeviceTest, SaveOnlyWhenContentIsReady)
{
    CWaveDevice wave;
    EXPECT_EQ(1u, wave.Save("a.wav"));   // nothing open: nothing sent
    EXPECT_TRUE(port.sent.empty());

    OpenFresh(wave, "");
    wave.Record(WINDOW);
    port.sent.clear();
    wave.m_dwLastError = 123;
    EXPECT_EQ(1u, wave.Save("a.wav"));   // recording runs: nothing sent
    EXPECT_TRUE(port.sent.empty());
    EXPECT_EQ(123u, wave.m_dwLastError);

    wave.Stop();
    port.sent.clear();
    EXPECT_EQ(1u, wave.Save("C:\\takes\\a.wav"));
    ASSERT_EQ(1u, port.sent.size());
    EXPECT_EQ(static_cast<UINT>(MCI_SAVE), port.sent[0].msg);
    EXPECT_EQ(0x0102u, port.sent[0].flags);
    EXPECT_EQ("C:\\takes\\a.wav", port.sent[0].fileName);

    port.FailNext(MCI_SAVE, MCIERR_FILE_NOT_SAVED);
    EXPECT_EQ(0u, wave.Save("Q:\\missing\\a.wav"));
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_TRUE(wave.m_bReady);
}

TEST_F(WaveDeviceTest, PositionAndLengthQueries)
{
    CWaveDevice wave;
    EXPECT_EQ(0u, wave.GetPosition());
    EXPECT_EQ(0xFFFFFFFFu, wave.GetLength());
    EXPECT_EQ(0xFFFFFFFFu, wave.SetTimeFormatMs());
    wave.SeekTo(10);
    EXPECT_TRUE(port.sent.empty());

    OpenFresh(wave);
    port.statusAnswers[MCI_STATUS_POSITION] = 1500;
    port.statusAnswers[MCI_STATUS_LENGTH] = 2000;
    EXPECT_EQ(1500u, wave.GetPosition());
    EXPECT_EQ(2000u, wave.GetLength());
    EXPECT_EQ(static_cast<DWORD>(MCI_STATUS_POSITION), port.sent[0].item);
    EXPECT_EQ(static_cast<DWORD>(MCI_STATUS_LENGTH), port.sent[1].item);

    port.FailNext(MCI_STATUS, MCIERR_INTERNAL);
    wave.GetPosition();   // a failed position query is silent
    EXPECT_TRUE(ui.boxes.empty());
    port.FailNext(MCI_STATUS, MCIERR_INTERNAL);
    EXPECT_EQ(0xFFFFFFFFu, wave.GetLength());
    EXPECT_EQ(1u, ui.boxes.size());
}

// A port without text for a code: the box must still say something true, not stack garbage.
class SilentPort : public ScriptedMciPort {
public:
    BOOL GetErrorString(MCIERROR, LPSTR, UINT) override { return FALSE; }
};

TEST(WaveDeviceErrorText, CodeWithoutTextStillNamesTheCode)
{
    SilentPort port;
    ScopedMciPort scope(&port);
    RecordingUiSeam ui;
    ScopedUiSeam uiScope(&ui);
    CWaveDevice wave;
    wave.ShowError(4242);
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_NE(std::string::npos, ui.boxes[0].text.find("4242"));
}
}
