// Recording through the sound session: a tone played into the sink is what the engine
// records from the sink's monitor.
#include "EngineCommands.h"
#include "EngineTestSupport.h"
#include "CTakeWriter.h"
#include "CTempFile.h"
#include "WaveBytes.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

const double kPi = 3.14159265358979323846;

// Largest jump between neighbouring samples, relative to what a sine of this amplitude and
// frequency can do; above 1 means a discontinuity (lost or repeated audio).
double WorstJumpRatio(const std::vector<double>& s, uint32_t rate, double hz)
{
    double peak = 0, jump = 0;
    for (size_t i = 1; i < s.size(); ++i) {
        peak = std::max(peak, std::fabs(s[i]));
        jump = std::max(jump, std::fabs(s[i] - s[i - 1]));
    }
    const double slope = peak * 2 * std::sin(kPi * hz / rate);   // largest step of the sine
    return jump / (slope + 2.0 / 32768);
}

} // namespace

class EngineRecordTest : public EngineTest {
protected:
    explicit EngineRecordTest(EngineSeams seams = EngineSeams()) : EngineTest(std::move(seams)) {}

    CEngineNoticeWindow window;
    CEngineScratchDir dir;
    CEngineTone tone{440, 40.0};

    // A tone keeps the sink busy for the whole test: the null sink's monitor, left idle,
    // starts delivering to a new capture stream only about two seconds after it opens.
    void SetUp() override
    {
        ASSERT_TRUE(tone.Start());
        window.Pump(800);   // let the tone reach the monitor before any take begins
    }

    // Records for about ms milliseconds of wall time, checking that the position never goes back.
    void RecordFor(MCIDEVICEID id, DWORD ms)
    {
        EXPECT_EQ(Record(id, window.Handle()), 0u);
        const DWORD start = GetTickCount();
        DWORD last = 0;
        window.PumpUntil([&] {
            const DWORD now = Position(id);
            if (now < last)
                ADD_FAILURE() << "position went back from " << last << " to " << now;
            last = now;
            return GetTickCount() - start >= ms;
        }, ms + 1000);
        EXPECT_EQ(Stop(id), 0u);
    }

    // The take file this test's device made.
    std::string NewTake(const std::vector<std::string>& before)
    {
        for (const std::string& path : EngineTakeFiles())
            if (std::find(before.begin(), before.end(), path) == before.end())
                return path;
        return std::string();
    }

    // Fails the test if the tone in the take is cut anywhere: a gap of silence or a jump.
    static void ExpectWholeTone(const EngineWave& wave)
    {
        // The capture pipeline may start or end a stream with a few ms of transient; what
        // matters is that nothing is missing in between.
        const size_t edge = wave.rate / 50;
        ASSERT_GT(wave.mono.size(), 2 * edge);
        const std::vector<double> inner(wave.mono.begin() + edge, wave.mono.end() - edge);
        EXPECT_LT(EngineLongestFlatRun(inner, wave.rate), 0.005) << "a gap of silence in the take";
        EXPECT_LT(WorstJumpRatio(inner, wave.rate, 440), 1.5) << "a discontinuity in the take";
    }

    EngineWave SaveAndRead(MCIDEVICEID id, const char* name)
    {
        EngineWave wave;
        std::string why;
        EXPECT_EQ(Save(id, dir.Path(name)), 0u);
        EXPECT_TRUE(EngineReadCanonicalWave(dir.Path(name), wave, why)) << name << ": " << why;
        return wave;
    }
};

TEST_F(EngineRecordTest, ThreeSecondsOfToneAreKeptWholeAndInTune)
{
    const MCIDEVICEID id = Open();
    ASSERT_EQ(SetFormat(id, 2, 44100, 16), 0u);

    RecordFor(id, 3000);
    EXPECT_EQ(window.WaitForNotice(2000), WPARAM(MCI_NOTIFY_ABORTED));
    const DWORD length = Length(id);
    EXPECT_NEAR(double(length), 3000.0, 1000.0);
    EXPECT_EQ(Position(id), length) << "after stop the position stays where recording ended";

    const EngineWave wave = SaveAndRead(id, "tone.wav");
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.rate, 44100u);
    EXPECT_EQ(wave.bits, 16);
    EXPECT_NEAR(wave.Seconds(), length / 1000.0, 0.01) << "the file holds what the length says";
    EXPECT_NEAR(EngineDominantHz(wave.mono, wave.rate, 100, 2000), 440.0, 2.0);
    ExpectWholeTone(wave);
}

// Takes on a disk whose every flush takes 2.5 s, as a busy disk or a slow stick.
class SlowDiskTest : public EngineRecordTest {
protected:
    SlowDiskTest() : EngineRecordTest(SlowDisk()) {}
    static EngineSeams SlowDisk()
    {
        EngineSeams seams;
        seams.newTake = [] { return std::make_shared<CSlowTake>(2500); };
        return seams;
    }
};

// Takes that end at 11025 bytes: a second of 11025 Hz mono 8-bit, an odd size.
class LimitedTakeTest : public EngineRecordTest {
protected:
    LimitedTakeTest() : EngineRecordTest(Limit()) {}
    static EngineSeams Limit()
    {
        EngineSeams seams;
        seams.dataLimit = 11025;
        return seams;
    }
};

// The disk's part runs beside the capture: a flush that takes seconds holds no buffer back
// from the input.
TEST_F(SlowDiskTest, AFlushThatTakesSecondsLosesNoSampleAndEndsNothing)
{
    const MCIDEVICEID id = Open();
    ASSERT_EQ(SetFormat(id, 2, 44100, 16), 0u);
    RecordFor(id, 4000);
    EXPECT_EQ(window.WaitForNotice(2000), WPARAM(MCI_NOTIFY_ABORTED)) << "the take was stopped, not failed";
    const EngineWave wave = SaveAndRead(id, "slow disk.wav");
    EXPECT_NEAR(wave.Seconds(), 4.0, 1.0);
    ExpectWholeTone(wave);
}

// A disk so far behind that the queue fills ends the take; what the writer accepted before that
// still reaches the file, with a header that says so.
TEST(TakeWriter, ADiskTooFarBehindEndsTheTakeButKeepsWhatWasHandedOver)
{
    const auto take = std::make_shared<CSlowTake>(4000);
    ASSERT_TRUE(take->CreateTake());
    CTakeWriter writer(wave::MakeWaveFormat(wave::MakePcmFormat(2, 44100, 16)), take);
    ASSERT_TRUE(writer.Start());
    Sleep(CTakeWriter::kHeaderEveryMs + 500);   // the writer is in its first flush: the disk stalls
    const std::vector<char> chunk(1 << 20, 7);
    uint64_t accepted = 0;
    while (accepted <= CTakeWriter::kMaxQueuedBytes && writer.Write(chunk.data(), DWORD(chunk.size())))
        accepted += chunk.size();
    EXPECT_TRUE(writer.Failed()) << "the queue never filled";
    EXPECT_FALSE(writer.Finish());
    std::vector<char> bytes(static_cast<size_t>(take->Size()));
    ASSERT_TRUE(take->ReadAt(0, bytes.data(), DWORD(bytes.size())));
    wave::WaveLayout layout;
    ASSERT_EQ(wave::WaveError::None, wave::ParseWave(bytes.data(), bytes.size(), layout));
    EXPECT_EQ(accepted, layout.dataBytes);
    EXPECT_EQ(bytes.size(), layout.dataOffset + layout.dataBytes);
}

// Should the program die mid-take, what it recorded is a file a person can find and play.
TEST_F(EngineRecordTest, ATakesFileIsAPlayableWaveWhileItRecords)
{
    const std::vector<std::string> before = EngineTakeFiles();
    const MCIDEVICEID id = Open();
    ASSERT_EQ(SetFormat(id, 2, 44100, 16), 0u);
    ASSERT_EQ(Record(id, window.Handle()), 0u);
    window.Pump(2600);
    const DWORD recorded = Position(id);
    ASSERT_EQ(before.size() + 1, EngineTakeFiles().size());
    const std::string take = NewTake(before);
    const std::vector<char> bytes = EngineReadFile(take);
    wave::WaveLayout layout;
    ASSERT_EQ(wave::WaveError::None, wave::ParseWave(bytes.data(), bytes.size(), layout)) << take;
    EXPECT_EQ(44100u, layout.format.samplesPerSec);
    EXPECT_NEAR(double(recorded), 1000.0 * layout.dataBytes / layout.format.avgBytesPerSec, 1000.0);
    // The header's own size keeps up too, about once a second: a reader that trusts it (or a
    // crash) gets the take as it stood, not an empty one.
    uint32_t headerBytes = 0;
    std::memcpy(&headerBytes, bytes.data() + layout.dataOffset - 4, sizeof headerBytes);
    EXPECT_NEAR(double(recorded), 1000.0 * headerBytes / layout.format.avgBytesPerSec, 1500.0);

    EXPECT_EQ(Stop(id), 0u);
    EXPECT_EQ(Close(id), 0u);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(take.c_str())) << "a closed take leaves no file";
}

TEST_F(EngineRecordTest, EveryRecorderFormatRecordsAndSavesItsOwnHeader)
{
    for (DWORD rate : {44100u, 22050u, 11025u, 8000u, 6000u})
        for (WORD channels : {1, 2})
            for (WORD bits : {8, 16}) {
                SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " ch, " << bits << " bits");
                const MCIDEVICEID id = Open();
                ASSERT_EQ(SetFormat(id, channels, rate, bits), 0u);
                RecordFor(id, 400);
                const EngineWave wave = SaveAndRead(id, "format.wav");
                EXPECT_EQ(wave.channels, channels);
                EXPECT_EQ(wave.rate, rate);
                EXPECT_EQ(wave.bits, bits);
                EXPECT_GT(wave.Seconds(), 0.1) << "the take holds sound";
                EXPECT_NEAR(EngineDominantHz(wave.mono, wave.rate, 100, 1000), 440.0, 3.0);
                EXPECT_EQ(Close(id), 0u);
            }
}

TEST_F(LimitedTakeTest, ReachingTheSizeLimitEndsWithSuccessAndKeepsTheTakeWhole)
{
    const std::vector<std::string> before = EngineTakeFiles();
    const MCIDEVICEID id = Open();
    ASSERT_EQ(SetFormat(id, 1, 11025, 8), 0u);
    ASSERT_EQ(Record(id, window.Handle()), 0u);
    EXPECT_EQ(window.WaitForNotice(5000), WPARAM(MCI_NOTIFY_SUCCESSFUL)) << "the take's own end";
    EXPECT_EQ(Length(id), 1000u);
    // The take's file is whole already: its header tells all it holds.
    const std::vector<char> take = EngineReadFile(NewTake(before));
    wave::WaveLayout layout;
    ASSERT_EQ(wave::WaveError::None, wave::ParseWave(take.data(), take.size(), layout));
    EXPECT_EQ(11025u, layout.dataBytes);
    EXPECT_EQ(take.size(), layout.dataOffset + layout.dataBytes);
    EXPECT_EQ(Stop(id), 0u);
    window.Pump(200);
    EXPECT_EQ(window.notices.size(), 1u) << "a finished take owes no second notice";
    const EngineWave wave = SaveAndRead(id, "limit.wav");
    EXPECT_EQ(wave.mono.size(), 11025u);
}

TEST_F(EngineRecordTest, ARunningTakeIsNeitherPlayedNorReplaced)
{
    const MCIDEVICEID id = Open();
    ASSERT_EQ(SetFormat(id, 1, 11025, 16), 0u);
    ASSERT_EQ(Record(id, window.Handle()), 0u);
    window.Pump(300);
    EXPECT_EQ(Play(id, window.Handle()), MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(Record(id, window.Handle()), MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(Save(id, dir.Path("early.wav")), MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(Stop(id), 0u);
    EXPECT_EQ(window.WaitForNotice(2000), WPARAM(MCI_NOTIFY_ABORTED));
    EXPECT_GE(Length(id), 200u) << "the take is kept";
    EXPECT_EQ(window.notices.size(), 1u);
}

// A take is a whole WAVE file already: on its own volume a save moves it, writing the very
// bytes a copy writes, and the device then holds the saved file as it holds an opened one.
// The odd-sized take's file ends in a pad byte once saved.
TEST_F(LimitedTakeTest, ATakeSavedByMovingIsTheSavedFileFromThenOn)
{
    const std::vector<std::string> before = EngineTakeFiles();
    const MCIDEVICEID id = Open();
    ASSERT_EQ(SetFormat(id, 1, 11025, 8), 0u);
    ASSERT_EQ(Record(id, window.Handle()), 0u);
    ASSERT_EQ(window.WaitForNotice(5000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
    ASSERT_EQ(Stop(id), 0u);
    const std::string take = NewTake(before);
    ASSERT_FALSE(take.empty());
    // Another volume (tmpfs) takes a copy, and the take stays the device's.
    const std::string copied = "Z:\\dev\\shm\\vorsel-copied-" + std::to_string(GetCurrentProcessId()) + ".wav";
    ASSERT_EQ(Save(id, copied), 0u);
    EXPECT_NE(GetFileAttributesA(take.c_str()), INVALID_FILE_ATTRIBUTES) << "a copy leaves the take in place";

    ASSERT_EQ(Play(id, window.Handle()), 0u);
    ASSERT_EQ(Save(id, dir.Path("moved.wav")), 0u) << "a save while the take plays";
    EXPECT_EQ(GetFileAttributesA(take.c_str()), INVALID_FILE_ATTRIBUTES) << "the take was moved, not copied";
    const std::vector<char> moved = EngineReadFile(dir.Path("moved.wav"));
    EXPECT_EQ(moved, EngineReadFile(copied)) << "a move writes what a copy writes";
    EXPECT_EQ(moved.size(), 44u + 11025u + 1u);
    const HANDLE writer = CreateFileA(dir.Path("moved.wav").c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "the device holds the saved file against changes";
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    EXPECT_EQ(window.WaitForNotice(4000), WPARAM(MCI_NOTIFY_SUCCESSFUL)) << "the play went on to its end";
    DeleteFileA(copied.c_str());

    // The saved file is the sound now: it plays, saves to a second name, and onto itself.
    ASSERT_EQ(Play(id, window.Handle(), MCI_FROM, 0), 0u);
    EXPECT_EQ(window.WaitForNotice(4000), WPARAM(MCI_NOTIFY_SUCCESSFUL));
    ASSERT_EQ(Save(id, dir.Path("second.wav")), 0u);
    ASSERT_EQ(Save(id, dir.Path("moved.wav")), 0u);
    EXPECT_EQ(EngineReadFile(dir.Path("second.wav")), moved);
    EXPECT_EQ(EngineReadFile(dir.Path("moved.wav")), moved);
    EXPECT_EQ(Close(id), 0u);
    EXPECT_EQ(EngineReadFile(dir.Path("moved.wav")), moved) << "the saved file is no longer the device's to delete";
}

TEST_F(EngineRecordTest, AMoveOntoAReadOnlyFileFailsAndKeepsBoth)
{
    const std::vector<std::string> before = EngineTakeFiles();
    const MCIDEVICEID id = Open();
    ASSERT_EQ(SetFormat(id, 2, 22050, 16), 0u);
    RecordFor(id, 600);
    const std::string take = NewTake(before);
    const std::vector<char> taken = EngineReadFile(take);
    const std::string locked = dir.Path("locked.wav");
    ASSERT_TRUE(EngineWriteToneFile(locked, 880, 0.2, 1, 8000, 8));
    const std::vector<char> lockedBytes = EngineReadFile(locked);
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Save(id, locked), MCIERR_FILE_NOT_SAVED);
    EXPECT_EQ(EngineReadFile(locked), lockedBytes);
    EXPECT_EQ(EngineReadFile(take), taken) << "the take is as it was";
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    const EngineWave wave = SaveAndRead(id, "kept.wav");
    EXPECT_NEAR(wave.Seconds(), Length(id) / 1000.0, 0.01);
}
