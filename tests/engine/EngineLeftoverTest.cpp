// A take file that an earlier Vorsel left, taken up as a device's own take: all the sound it
// holds, whatever its header says yet; saved whole; deleted when the device closes; refused,
// and kept, when another Vorsel holds it or it is no sound file.
#include "EngineCommands.h"
#include "EngineTestSupport.h"
#include "MciContract.h"

namespace {

class LeftTake : public EngineTest {
protected:
    MCIERROR OpenTake(const std::string& path, MCIDEVICEID& id) { return OpenDevice(path.c_str(), id, kWaveOpenTake); }
};

TEST_F(LeftTake, AllItsSoundIsTakenUpWhateverItsHeaderSaysAndSavedWhole)
{
    // Saved, the take is moved where the save puts it; left unsaved, the device deletes it.
    const struct { const char* what; uint32_t headerBytes; bool save; } cases[] = {
        { "sizes never written", 0, true }, { "sizes a second behind", 44100 * 4 / 2, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string take = EngineTakePath("2026-12-08 14-03-07");
        ASSERT_TRUE(EngineWriteLeftTake(take, 1.5, 2, 44100, 16, c.headerBytes));

        MCIDEVICEID id = 0;
        ASSERT_EQ(0u, OpenTake(take, id));
        EXPECT_EQ(1500u, Length(id));
        EXPECT_EQ(2u, Status(id, MCI_WAVE_STATUS_CHANNELS));
        EXPECT_EQ(44100u, Status(id, MCI_WAVE_STATUS_SAMPLESPERSEC));
        EXPECT_EQ(16u, Status(id, MCI_WAVE_STATUS_BITSPERSAMPLE));
        EngineWave wave;
        std::string why;
        EXPECT_TRUE(EngineReadCanonicalWave(take, wave, why)) << "the take's own file is whole now: " << why;
        EXPECT_TRUE(EngineFileExists(take)) << "the device holds it as its take";
        if (!c.save) {
            EXPECT_EQ(0u, Close(id));
            EXPECT_FALSE(EngineFileExists(take)) << "and deletes it as it deletes a take";
            continue;
        }
        CEngineScratchDir dir;
        ASSERT_EQ(0u, Save(id, dir.Path("kept.wav")));
        EXPECT_FALSE(EngineFileExists(take)) << "saved on its own volume, the take is moved";
        ASSERT_TRUE(EngineReadCanonicalWave(dir.Path("kept.wav"), wave, why)) << why;
        EXPECT_DOUBLE_EQ(1.5, wave.Seconds());
        EXPECT_NEAR(440.0, EngineDominantHz(wave.mono, wave.rate, 100, 2000), 3.0);
        EXPECT_EQ(0u, Close(id));
        EXPECT_TRUE(EngineFileExists(dir.Path("kept.wav")));
    }
}

TEST_F(LeftTake, OneThatAVorselHoldsOrThatIsNoSoundIsRefusedAndKept)
{
    const std::string held = EngineTakePath("2026-12-08 14-03-07"), text = EngineTakePath("2026-12-08 15-00-00");
    ASSERT_TRUE(EngineWriteToneFile(held, 440, 1, 1, 8000, 16));
    ASSERT_TRUE(EngineWriteFile(text, "not a take", 10));
    MCIDEVICEID first = 0, second = 99;
    ASSERT_EQ(0u, OpenTake(held, first));
    EXPECT_NE(0u, OpenTake(held, second)) << "another Vorsel has taken it up";
    EXPECT_EQ(MCIERR_INVALID_FILE, OpenTake(text, second));
    EXPECT_EQ(0u, second);
    EXPECT_TRUE(EngineFileExists(text)) << "a refused file stays as it was";
    Close(first);
    EXPECT_TRUE(DeleteFileA(text.c_str()));
}

} // namespace
