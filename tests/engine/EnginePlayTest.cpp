// Playback through the sound session: what the engine plays comes out of the sink, and
// play, pause, resume, stop and from/to keep MCI's positions and notices.
#include "EngineCommands.h"
#include "EngineTestSupport.h"
#include "TimedDriverCalls.h"

class EnginePlayTest : public EngineTest {
protected:
    CEngineNoticeWindow window;
    CEngineScratchDir dir;

    MCIDEVICEID OpenTone(double hz, double seconds)
    {
        const std::string path = dir.Path("tone.wav");
        EXPECT_TRUE(EngineWriteToneFile(path, hz, seconds, 2, 22050, 16));
        return Open(path.c_str());
    }

    // A device recording what comes out of the sink.
    MCIDEVICEID Listen()
    {
        const MCIDEVICEID listener = Open();
        EXPECT_EQ(SetFormat(listener, 1, 44100, 16), 0u);
        EXPECT_EQ(Record(listener, nullptr), 0u);
        return listener;
    }

    // The tone the listener heard, once the end of what played has reached the sink.
    double HeardHz(MCIDEVICEID listener)
    {
        window.Pump(300);
        EXPECT_EQ(Stop(listener), 0u);
        EXPECT_EQ(Save(listener, dir.Path("heard.wav")), 0u);
        EngineWave heard;
        std::string why;
        EXPECT_TRUE(EngineReadCanonicalWave(dir.Path("heard.wav"), heard, why)) << why;
        return EngineDominantHz(heard.mono, heard.rate, 100, 2000);
    }
};

TEST_F(EnginePlayTest, APlayedFileComesOutOfTheSinkAndEndsWithSuccess)
{
    const MCIDEVICEID player = OpenTone(660, 2.5);
    const MCIDEVICEID listener = Listen();
    ASSERT_EQ(Play(player, window.Handle()), 0u);

    DWORD last = 0;
    ASSERT_TRUE(window.PumpUntil([&] {
        const DWORD now = Position(player);
        if (now < last)
            ADD_FAILURE() << "position went back from " << last << " to " << now;
        last = now;
        return !window.notices.empty();
    }, 6000));
    EXPECT_EQ(window.notices[0].code, WPARAM(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_EQ(window.notices[0].device, LPARAM(player));
    EXPECT_EQ(Position(player), 2500u) << "a natural end leaves the position at the end";
    EXPECT_NEAR(HeardHz(listener), 660.0, 2.0);
}

TEST_F(EnginePlayTest, StopEndsWithAbortedAndHoldsThePosition)
{
    const MCIDEVICEID id = OpenTone(440, 3.0);
    ASSERT_EQ(Play(id, window.Handle()), 0u);
    ASSERT_TRUE(window.PumpUntil([&] { return Position(id) >= 300; }, 3000));
    ASSERT_EQ(Stop(id), 0u);
    EXPECT_EQ(window.WaitForNotice(1000), WPARAM(MCI_NOTIFY_ABORTED));
    const DWORD stopped = Position(id);
    EXPECT_GE(stopped, 300u);
    EXPECT_LT(stopped, 3000u) << "stopped before the end";
    window.Pump(300);
    EXPECT_EQ(Position(id), stopped);
    EXPECT_EQ(window.notices.size(), 1u);
}

TEST_F(EnginePlayTest, PauseHoldsThePositionAndResumeGoesOnFromIt)
{
    const MCIDEVICEID id = OpenTone(440, 2.0);
    ASSERT_EQ(Play(id, window.Handle()), 0u);
    ASSERT_TRUE(window.PumpUntil([&] { return Position(id) >= 200; }, 3000));
    ASSERT_EQ(Pause(id), 0u);
    const DWORD paused = Position(id);
    // Longer than a silent device is given before it counts as failed: a pause is no stall,
    // neither while it lasts nor when the play goes on.
    window.Pump(kDriverLimitMs + 500);
    EXPECT_EQ(Position(id), paused) << "a paused device must not move";
    EXPECT_TRUE(window.notices.empty());

    ASSERT_EQ(Resume(id), 0u);
    const DWORD resumed = Position(id);   // the output may already have played a little
    EXPECT_GE(resumed, paused) << "resume continues from the paused position";
    EXPECT_LT(resumed, paused + 1000) << "resume continues from the paused position";
    EXPECT_TRUE(window.PumpUntil([&] { return Position(id) > paused; }, 3000)) << "and goes on";
    EXPECT_EQ(window.WaitForNotice(4000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_EQ(Position(id), 2000u);
}

TEST_F(EnginePlayTest, PlayFromToPlaysJustThatStretch)
{
    const MCIDEVICEID id = OpenTone(440, 2.0);
    EXPECT_EQ(Play(id, window.Handle(), MCI_FROM | MCI_TO, 500, 2500), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Play(id, window.Handle(), MCI_FROM | MCI_TO, 1200, 700), MCIERR_OUTOFRANGE);
    const DWORD start = GetTickCount();
    ASSERT_EQ(Play(id, window.Handle(), MCI_FROM | MCI_TO, 500, 1000), 0u);
    EXPECT_GE(Position(id), 500u);
    EXPECT_EQ(window.WaitForNotice(3000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_GE(GetTickCount() - start, 400u) << "it took the time of its half second";
    EXPECT_EQ(Position(id), 1000u);
}

TEST_F(EnginePlayTest, PlayFromTheReportedLengthEndsAtOnce)
{
    // 44,115 frames at 22,050 Hz: 2000.68 ms, reported as 2001, which converts back to a
    // few frames past the end.
    const MCIDEVICEID id = OpenTone(440, 2.0007);
    const DWORD length = Status(id, MCI_STATUS_LENGTH);
    ASSERT_EQ(length, 2001u);
    ASSERT_EQ(Play(id, window.Handle(), MCI_FROM, length), 0u);
    EXPECT_EQ(window.WaitForNotice(1000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
    ASSERT_EQ(Play(id, window.Handle(), MCI_FROM | MCI_TO, length, length), 0u);
    EXPECT_EQ(window.WaitForNotice(1000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_EQ(Position(id), length);
}

TEST_F(EnginePlayTest, ANewPlaySupersedesTheRunningOne)
{
    const MCIDEVICEID id = OpenTone(440, 2.0);
    CEngineNoticeWindow second;
    ASSERT_EQ(Play(id, window.Handle()), 0u);
    window.Pump(300);
    ASSERT_EQ(Play(id, second.Handle(), MCI_FROM | MCI_TO, 1800, 2000), 0u);
    EXPECT_EQ(window.WaitForNotice(1000), WPARAM(MCI_NOTIFY_SUPERSEDED));
    EXPECT_EQ(second.WaitForNotice(3000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
    window.Pump(200);
    EXPECT_EQ(window.notices.size(), 1u);
}

TEST_F(EnginePlayTest, ClosingWhilePlayingEndsWithAborted)
{
    const MCIDEVICEID id = OpenTone(440, 2.0);
    ASSERT_EQ(Play(id, window.Handle()), 0u);
    window.Pump(200);
    ASSERT_EQ(Close(id), 0u);
    EXPECT_EQ(window.WaitForNotice(1000), WPARAM(MCI_NOTIFY_ABORTED));
    DWORD answer = 0;
    EXPECT_EQ(StatusOf(id, MCI_STATUS_LENGTH, answer), MCIERR_INVALID_DEVICE_ID);
}

// Saved over while it plays and while it is paused, a file plays on to its end from the saved
// file. Its 24-bit mono sound begins 14 bytes earlier there, no whole number of samples:
// bytes read from the old place would be noise, and the last of them would not be there.
TEST_F(EnginePlayTest, AFileSavedOntoItselfWhilePlayingPlaysOnToItsEnd)
{
    const std::string path = dir.Path("other.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 550, 2.5, 1, 22050, 24));
    ASSERT_TRUE(EngineInsertChunkBeforeSound(path, 6));
    const MCIDEVICEID id = Open(path.c_str());
    const MCIDEVICEID listener = Listen();
    ASSERT_EQ(Play(id, window.Handle()), 0u);
    window.Pump(500);
    ASSERT_EQ(Save(id, path), 0u) << "while playing";
    ASSERT_EQ(Pause(id), 0u);
    ASSERT_EQ(Save(id, path), 0u) << "while paused";
    ASSERT_EQ(Resume(id), 0u);
    EXPECT_EQ(window.WaitForNotice(5000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_EQ(Position(id), 2500u);
    EXPECT_NEAR(HeardHz(listener), 550.0, 2.0);
    EXPECT_EQ(EngineReadFile(path).size(), 44u + 3 * 55125 + 1) << "the file is now saved canonically";
}

// Files as other programs write them open with their length, play in their own format (what
// comes out of the sink is their tone, so the output was told the right format) and save back
// byte for byte. Where the output refuses a format, Play says so and nothing changes.
TEST_F(EnginePlayTest, FilesInEveryFormatWeReadPlayAndSaveUnchanged)
{
    const struct {
        const char* name; uint16_t channels; uint32_t rate; uint16_t bits; EngineSamples samples;
        double hz; bool mayBeRefused;
    } cases[] = {
        {"pcm24.wav", 2, 44100, 24, EngineSamples::Pcm, 550, false},
        {"float32.wav", 1, 48000, 32, EngineSamples::Float, 770, false},
        // A 3-byte block and an odd data size, and the header other programs write for it.
        {"mono24.wav", 1, 22050, 24, EngineSamples::ExtensiblePcm, 990, false},
        {"float64.wav", 2, 44100, 64, EngineSamples::Float, 660, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Path(c.name);
        ASSERT_TRUE(EngineWriteToneFile(path, c.hz, 1.001, c.channels, c.rate, c.bits, c.samples));
        const MCIDEVICEID id = Open(path.c_str());
        EXPECT_EQ(Length(id), 1001u);
        EXPECT_EQ(Status(id, MCI_WAVE_STATUS_CHANNELS), c.channels);
        EXPECT_EQ(Status(id, MCI_WAVE_STATUS_SAMPLESPERSEC), c.rate);
        EXPECT_EQ(Status(id, MCI_WAVE_STATUS_BITSPERSAMPLE), c.bits);

        const MCIDEVICEID listener = Listen();
        ASSERT_EQ(Seek(id, 300), 0u);
        const MCIERROR played = Play(id, window.Handle(), MCI_FROM, 0);
        if (played == 0 || !c.mayBeRefused) {
            ASSERT_EQ(played, 0u);
            ASSERT_EQ(window.WaitForNotice(4000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
            EXPECT_EQ(Position(id), 1001u);
            EXPECT_NEAR(HeardHz(listener), c.hz, 2.0);
        } else {
            EXPECT_EQ(played, MCIERR_WAVE_OUTPUTSUNSUITABLE);
            EXPECT_EQ(Position(id), 300u) << "a refused play must leave the position";
            window.Pump(200);
            EXPECT_TRUE(window.notices.empty());
        }
        window.notices.clear();
        Close(listener);

        ASSERT_EQ(Save(id, dir.Path("copy.wav")), 0u);
        EXPECT_EQ(EngineReadFile(dir.Path("copy.wav")), EngineReadFile(path));
        Close(id);
    }
}
