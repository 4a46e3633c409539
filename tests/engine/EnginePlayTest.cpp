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
};

TEST_F(EnginePlayTest, APlayedFileComesOutOfTheSinkAndEndsWithSuccess)
{
    const MCIDEVICEID player = OpenTone(660, 2.5);
    const MCIDEVICEID listener = Open();
    ASSERT_EQ(SetFormat(listener, 1, 44100, 16), 0u);
    ASSERT_EQ(Record(listener, nullptr), 0u);
    ASSERT_EQ(Play(player, window.Handle()), 0u);

    DWORD last = 0, worstStep = 0;
    ASSERT_TRUE(window.PumpUntil([&] {
        // Steps are judged once sound flows: the first answer is where the output's clock
        // stands when it starts, which under Wine may be past a buffer or more.
        const DWORD now = Position(player);
        if (last > 0)
            worstStep = std::max(worstStep, now - std::min(now, last));
        last = now;
        return !window.notices.empty();
    }, 6000));
    EXPECT_EQ(window.notices[0].code, WPARAM(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_EQ(window.notices[0].device, LPARAM(player));
    EXPECT_EQ(Position(player), 2500u) << "a natural end leaves the position at the end";
    EXPECT_LE(worstStep, 50u);
    window.Pump(300);   // the tail still travelling to the monitor
    ASSERT_EQ(Stop(listener), 0u);

    ASSERT_EQ(Save(listener, dir.Path("heard.wav")), 0u);
    EngineWave heard;
    std::string why;
    ASSERT_TRUE(EngineReadCanonicalWave(dir.Path("heard.wav"), heard, why)) << why;
    EXPECT_NEAR(EngineDominantHz(heard.mono, heard.rate, 100, 2000), 660.0, 2.0);
}

TEST_F(EnginePlayTest, StopEndsWithAbortedAndHoldsThePosition)
{
    const MCIDEVICEID id = OpenTone(440, 3.0);
    ASSERT_EQ(Play(id, window.Handle()), 0u);
    window.Pump(600);
    ASSERT_EQ(Stop(id), 0u);
    EXPECT_EQ(window.WaitForNotice(1000), WPARAM(MCI_NOTIFY_ABORTED));
    const DWORD stopped = Position(id);
    EXPECT_GT(stopped, 300u);
    EXPECT_LT(stopped, 1200u);
    window.Pump(300);
    EXPECT_EQ(Position(id), stopped);
    EXPECT_EQ(window.notices.size(), 1u);
}

TEST_F(EnginePlayTest, PauseHoldsThePositionAndResumeGoesOnFromIt)
{
    const MCIDEVICEID id = OpenTone(440, 2.0);
    ASSERT_EQ(Play(id, window.Handle()), 0u);
    window.Pump(500);
    ASSERT_EQ(Pause(id), 0u);
    const DWORD paused = Position(id);
    EXPECT_GT(paused, 200u);
    // Longer than a silent device is given before it counts as failed: a pause is no stall,
    // neither while it lasts nor when the play goes on.
    window.Pump(kDriverLimitMs + 500);
    EXPECT_EQ(Position(id), paused) << "a paused device must not move";
    EXPECT_TRUE(window.notices.empty());

    ASSERT_EQ(Resume(id), 0u);
    window.Pump(400);
    const DWORD resumed = Position(id);
    EXPECT_GT(resumed, paused + 200);
    EXPECT_LT(resumed, paused + 700) << "resume continues from the paused position";
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
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 400u);
    EXPECT_LT(took, 1500u) << "played far more than the half second asked for";
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
