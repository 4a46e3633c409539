// The level a device answers: the peak of what a take receives from the session's sink, and of
// what a play is heard at, per channel and in the scale of the sound's own samples.
#include "EngineCommands.h"
#include "EngineTestSupport.h"
#include <algorithm>
#include <cmath>

namespace {

class EngineLevelTest : public EngineTest {
protected:
    CEngineNoticeWindow window;
    CEngineScratchDir dir;

    DWORD Level(MCIDEVICEID id) { return Status(id, MCI_WAVE_STATUS_LEVEL); }

    // The level, once it shows anything, read a few times a meter's refresh apart.
    std::vector<DWORD> Levels(MCIDEVICEID id)
    {
        EXPECT_TRUE(window.PumpUntil([&] { return Level(id) != 0; }, 3000)) << "no level at all";
        std::vector<DWORD> levels;
        for (int i = 0; i < 6; ++i, window.Pump(50))
            levels.push_back(Level(id));
        return levels;
    }

    // Each reading has the left and right peaks of a sine of these amplitudes on this scale.
    static void ExpectPeaks(const std::vector<DWORD>& levels, double left, double right, double fullScale)
    {
        for (DWORD level : levels) {
            SCOPED_TRACE(testing::Message() << "level 0x" << std::hex << level);
            EXPECT_NEAR(left * fullScale, HIWORD(level), 0.02 * fullScale * left + 1.5) << "left";
            EXPECT_NEAR(right * fullScale, LOWORD(level), 0.02 * fullScale * right + 1.5) << "right";
        }
    }
};

TEST_F(EngineLevelTest, ATakeAnswersThePeaksOfWhatItRecordsAndNothingOnceStopped)
{
    CEngineTone tone(440, 20, 0.5, 0.1);
    ASSERT_TRUE(tone.Start());
    window.Pump(800);
    const struct { WORD channels, bits; double left, right, fullScale; } takes[] = {
        { 2, 16, 0.5, 0.1, 32768 },
        { 1, 8, 0, 0.3, 128 },   // the sink's two channels, mixed down by the sound server
    };
    for (const auto& take : takes) {
        SCOPED_TRACE(testing::Message() << take.channels << " ch, " << take.bits << " bits");
        const MCIDEVICEID id = Open();
        ASSERT_EQ(0u, SetFormat(id, take.channels, 44100, take.bits));
        EXPECT_EQ(0u, Level(id)) << "nothing records yet";
        ASSERT_EQ(0u, Record(id, window.Handle()));
        ExpectPeaks(Levels(id), take.left, take.right, take.fullScale);
        ASSERT_EQ(0u, Stop(id));
        EXPECT_EQ(0u, Level(id)) << "a stopped take";
        Close(id);
    }
}

// Files of many kinds, each with its own amplitude per channel, so that a channel taken for
// another shows. More than two channels fold: the even ones are left, the odd ones right.
TEST_F(EngineLevelTest, APlayAnswersThePeaksOfWhatIsHeardInEveryFormatItPlays)
{
    const struct {
        const char* name; uint16_t channels; uint16_t bits; EngineSamples samples;
        std::vector<double> amplitudes; double left, right, fullScale;
    } files[] = {
        { "8-bit mono", 1, 8, EngineSamples::Pcm, { 0.4 }, 0, 0.4, 128 },
        { "8-bit stereo", 2, 8, EngineSamples::Pcm, { 0.1, 0.6 }, 0.1, 0.6, 128 },
        { "16-bit mono", 1, 16, EngineSamples::Pcm, { 0.25 }, 0, 0.25, 32768 },
        { "16-bit stereo", 2, 16, EngineSamples::Pcm, { 0.5, 0.1 }, 0.5, 0.1, 32768 },
        { "24-bit stereo", 2, 24, EngineSamples::Pcm, { 0.1, 0.5 }, 0.1, 0.5, 32768 },
        { "float mono", 1, 32, EngineSamples::Float, { 0.3 }, 0, 0.3, 32768 },
        { "16-bit in four channels", 4, 16, EngineSamples::ExtensiblePcm, { 0.2, 0.05, 0.6, 0.3 }, 0.6, 0.3, 32768 },
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = dir.Path("level.wav");
        ASSERT_TRUE(EngineWriteToneFile(path, 440, 3, file.channels, 22050, file.bits, file.samples, file.amplitudes));
        const MCIDEVICEID id = Open(path.c_str());
        EXPECT_EQ(0u, Level(id)) << "nothing plays yet";
        ASSERT_EQ(0u, Play(id, window.Handle()));
        ExpectPeaks(Levels(id), file.left, file.right, file.fullScale);
        ASSERT_EQ(0u, Pause(id));
        EXPECT_EQ(0u, Level(id)) << "a paused play is not heard";
        ASSERT_EQ(0u, Resume(id));
        ExpectPeaks(Levels(id), file.left, file.right, file.fullScale);
        ASSERT_EQ(0u, Stop(id));
        EXPECT_EQ(0u, Level(id)) << "a stopped play";
        window.notices.clear();
        Close(id);
    }
}

// A second of silence, then a tone: the level follows the position played, not the buffers
// queued ahead of it, which hold the tone a good while before it is heard.
TEST_F(EngineLevelTest, APlayAnswersTheLevelWhereItIsHeardNotWhatIsQueuedAhead)
{
    const std::string path = dir.Path("step.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 2, 2, 22050, 16, EngineSamples::Pcm, { 0.5 }));
    std::vector<char> bytes = EngineReadFile(path);
    std::fill(bytes.begin() + 44, bytes.begin() + 44 + 22050 * 4, 0);
    ASSERT_TRUE(EngineWriteFile(path, bytes.data(), bytes.size()));
    const MCIDEVICEID id = Open(path.c_str());
    ASSERT_EQ(0u, Play(id, window.Handle()));
    int silentReadings = 0;
    window.PumpUntil([&] {
        const DWORD before = Position(id);
        const DWORD level = Level(id);
        if (Position(id) < 950 && before > 100) {   // a buffer that holds both is heard as the tone
            EXPECT_EQ(0u, level) << "at " << before << " ms, in the silence";
            ++silentReadings;
        }
        return before >= 1000;
    }, 4000);
    EXPECT_GT(silentReadings, 10) << "the silence was read a few times";
    ASSERT_TRUE(window.PumpUntil([&] { return Position(id) >= 1100; }, 3000));
    EXPECT_NEAR(16384.0, LOWORD(Level(id)), 400.0) << "the tone is heard";
    EXPECT_EQ(WPARAM(MCI_NOTIFY_SUCCESSFUL), window.WaitForNotice(3000));
    EXPECT_EQ(0u, Level(id)) << "a play that has ended";
}

} // namespace
