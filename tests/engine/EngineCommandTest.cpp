// The engine's commands apart from sound: ids, formats, time format, seeking.
#include "EngineCommands.h"
#include "EngineTestSupport.h"

TEST_F(EngineTest, GivesEachOpenDeviceItsOwnId)
{
    const MCIDEVICEID a = Open();
    const MCIDEVICEID b = Open();
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(0u, Close(a));
    EXPECT_EQ(MCIERR_INVALID_DEVICE_ID, Close(a));
    EXPECT_EQ(0u, Length(b)) << "the other is still open";
}

TEST_F(EngineTest, NewRecordingIsEmptyAndTakesAConsistentFormat)
{
    const MCIDEVICEID id = Open();
    EXPECT_EQ(Length(id), 0u);
    EXPECT_EQ(Position(id), 0u);
    ASSERT_EQ(SetFormat(id, 2, 22050, 16), 0u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_CHANNELS), 2u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_SAMPLESPERSEC), 22050u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_BITSPERSAMPLE), 16u);
}

TEST_F(EngineTest, RefusesInconsistentOrForeignFormatsWithoutFixingThem)
{
    const MCIDEVICEID id = Open();
    ASSERT_EQ(SetFormat(id, 1, 8000, 16), 0u);
    EXPECT_NE(SetFormat(id, 2, 44100, 16, WAVE_FORMAT_PCM, 1), 0u) << "block align off by one";
    EXPECT_NE(SetFormat(id, 2, 44100, 16, WAVE_FORMAT_PCM, 0, 4), 0u) << "bytes/s off";
    EXPECT_NE(SetFormat(id, 2, 44100, 16, 2 /* ADPCM */), 0u);
    EXPECT_NE(SetFormat(id, 0, 44100, 16), 0u);
    EXPECT_NE(SetFormat(id, 2, 44100, 24), 0u);
    // Each refusal left the previous format untouched.
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_CHANNELS), 1u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_SAMPLESPERSEC), 8000u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_BITSPERSAMPLE), 16u);
}

TEST_F(EngineTest, MillisecondsAreTheOnlyTimeFormat)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("tone.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 2.0, 2, 22050, 16));
    const MCIDEVICEID id = Open(path.c_str());
    EXPECT_EQ(Length(id), 2000u);
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_BYTES;
    EXPECT_EQ(engine.SendCommand(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set)),
              MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(Length(id), 2000u);
}

TEST_F(EngineTest, SeeksWithinTheContentOnly)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("tone.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 1.0, 1, 8000, 8));
    const MCIDEVICEID id = Open(path.c_str());
    ASSERT_EQ(Seek(id, 400), 0u);
    EXPECT_EQ(Position(id), 400u);
    EXPECT_EQ(Seek(id, 1001), MCIERR_OUTOFRANGE);
    EXPECT_EQ(Position(id), 400u);
    ASSERT_EQ(Seek(id, 1000), 0u);
    EXPECT_EQ(Position(id), 1000u);
    MCI_SEEK_PARMS seek = {};
    EXPECT_EQ(engine.SendCommand(id, MCI_SEEK, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&seek)), MCIERR_MISSING_PARAMETER);
}

// A device holds one sound: a file's, or the one take recorded into a new device.
TEST_F(EngineTest, NeitherFormatNorTakeCanReplaceExistingSound)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("tone.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 0.5, 1, 11025, 8));
    const MCIDEVICEID id = Open(path.c_str());
    EXPECT_EQ(SetFormat(id, 2, 44100, 16), MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_SAMPLESPERSEC), 11025u);
    EXPECT_EQ(Record(id, nullptr), MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(Length(id), 500u);
}

// An empty file's device takes a recording format before it records: a take's header says
// plain 8- or 16-bit PCM, so a take in the file's float format would be mislabelled.
TEST_F(EngineTest, AnEmptyFileOfAnotherFormatRecordsOnlyInARecordingFormat)
{
    CEngineScratchDir dir;
    const std::string path = dir.Path("empty.wav");
    ASSERT_TRUE(EngineWriteToneFile(path, 440, 0, 2, 48000, 32, EngineSamples::Float));
    const MCIDEVICEID id = Open(path.c_str());
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_BITSPERSAMPLE), 32u);
    EXPECT_EQ(Record(id, nullptr), MCIERR_WAVE_SETINPUTUNSUITABLE);
    EXPECT_EQ(Length(id), 0u);
    ASSERT_EQ(SetFormat(id, 2, 48000, 16), 0u);
    EXPECT_EQ(Status(id, MCI_WAVE_STATUS_BITSPERSAMPLE), 16u);
}
