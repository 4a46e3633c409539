// The level a device answers: the peak of what a take receives from the session's sink, and of
// what a play is heard at, per channel and in the scale of the sound's own samples.
#include "EngineCommands.h"
#include "EngineTestSupport.h"
#include <algorithm>

namespace {

class EngineLevelTest : public EngineTest {
protected:
    CEngineNoticeWindow window;
    CEngineScratchDir dir;

    DWORD Level(MCIDEVICEID id) { return Status(id, MCI_WAVE_STATUS_LEVEL); }

    // Once the level shows anything, each reading a meter's refresh apart holds the peaks of a
    // sine of these amplitudes (full scale 1) on this scale, within 10 %: the session's sink
    // runs at 48 kHz, and what its monitor gives back resampled peaks up to 0.6 dB high.
    void ExpectPeaks(MCIDEVICEID id, double left, double right, double fullScale)
    {
        EXPECT_TRUE(window.PumpUntil([&] { return Level(id) != 0; }, 3000)) << "no level at all";
        for (int i = 0; i < 6; ++i, window.Pump(50)) {
            const DWORD level = Level(id);
            EXPECT_NEAR(left * fullScale, HIWORD(level), 0.1 * fullScale * left + 1.5) << std::hex << level;
            EXPECT_NEAR(right * fullScale, LOWORD(level), 0.1 * fullScale * right + 1.5) << std::hex << level;
        }
    }
};

TEST_F(EngineLevelTest, ATakeAnswersThePeaksOfWhatItRecords)
{
    CEngineTone tone(440, 20, 0.5, 0.1);
    ASSERT_TRUE(tone.Start());
    window.Pump(800);
    const MCIDEVICEID id = Open();
    ASSERT_EQ(0u, SetFormat(id, 2, 44100, 16));
    EXPECT_EQ(0u, Level(id)) << "nothing records yet";
    ASSERT_EQ(0u, Record(id, window.Handle()));
    ExpectPeaks(id, 0.5, 0.1, 32768);
    ASSERT_EQ(0u, Stop(id));
    EXPECT_EQ(0u, Level(id)) << "a stopped take";
}

// Each channel has its own amplitude, so that a channel taken for another shows. More than two
// channels fold: the even ones are left, the odd ones right.
TEST_F(EngineLevelTest, APlayAnswersThePeaksOfWhatIsHeardInEveryFormatItPlays)
{
    const struct {
        uint16_t channels, bits; EngineSamples samples; std::vector<double> amplitudes; double left, right, fullScale;
    } files[] = {
        { 1, 8, EngineSamples::Pcm, { 0.4 }, 0, 0.4, 128 },
        { 2, 8, EngineSamples::Pcm, { 0.1, 0.6 }, 0.1, 0.6, 128 },
        { 1, 16, EngineSamples::Pcm, { 0.25 }, 0, 0.25, 32768 },
        { 2, 16, EngineSamples::Pcm, { 0.5, 0.1 }, 0.5, 0.1, 32768 },
        { 2, 24, EngineSamples::Pcm, { 0.1, 0.5 }, 0.1, 0.5, 32768 },
        { 1, 32, EngineSamples::Float, { 0.3 }, 0, 0.3, 32768 },
        { 4, 16, EngineSamples::ExtensiblePcm, { 0.2, 0.05, 0.6, 0.3 }, 0.6, 0.3, 32768 },
    };
    for (const auto& f : files) {
        SCOPED_TRACE(testing::Message() << f.channels << " ch, " << f.bits << " bits");
        const std::string path = dir.Path("level.wav");
        ASSERT_TRUE(EngineWriteToneFile(path, 440, 3, f.channels, 22050, f.bits, f.samples, f.amplitudes));
        const MCIDEVICEID id = Open(path.c_str());
        EXPECT_EQ(0u, Level(id)) << "nothing plays yet";
        ASSERT_EQ(0u, Play(id, window.Handle()));
        ExpectPeaks(id, f.left, f.right, f.fullScale);
        ASSERT_EQ(0u, Pause(id));
        EXPECT_EQ(0u, Level(id)) << "a paused play is not heard";
        ASSERT_EQ(0u, Resume(id));
        ExpectPeaks(id, f.left, f.right, f.fullScale);
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
    int silent = 0;
    window.PumpUntil([&] {
        const DWORD before = Position(id), level = Level(id);
        if (before > 100 && Position(id) < 950) {   // a buffer that holds both is heard as the tone
            EXPECT_EQ(0u, level) << "at " << before << " ms, in the silence";
            ++silent;
        }
        return before >= 1100;
    }, 4000);
    EXPECT_GT(silent, 10) << "the silence was read a few times";
    EXPECT_NEAR(16384.0, LOWORD(Level(id)), 400.0) << "the tone is heard";
    EXPECT_EQ(WPARAM(MCI_NOTIFY_SUCCESSFUL), window.WaitForNotice(3000));
    EXPECT_EQ(0u, Level(id)) << "a play that has ended";
}

} // namespace
