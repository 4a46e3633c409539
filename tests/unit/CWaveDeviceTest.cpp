// CWaveDevice over a scripted device: the commands each operation sends, in order, with their
// flags and the record fields the device reads; what it keeps and shows when the device fails;
// and what it refuses without sending anything.
#include <gtest/gtest.h>
#include "CWaveDevice.h"
#include "RecordingUiSeam.h"
#include "ScriptedMciPort.h"
#include <algorithm>
#include <functional>
#include <sstream>

namespace {
const HWND WINDOW = reinterpret_cast<HWND>(0x1234);

// A command as the device must send it: message, the device it goes to, flags, and the record
// fields the command reads, written as RecordOf writes them ("no record" for none).
struct Cmd {
    UINT msg;
    UINT id;
    DWORD_PTR flags;
    std::string record;
};

struct Named {
    DWORD_PTR value;
    const char* name;
};
#define NAMED(constant) { constant, #constant }

std::string Hex(DWORD_PTR value)
{
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

std::string NameOf(DWORD_PTR value, std::initializer_list<Named> names)
{
    for (const Named& n : names)
        if (n.value == value)
            return n.name;
    return Hex(value);
}

std::string MessageName(UINT msg)
{
    return NameOf(msg, { NAMED(MCI_OPEN), NAMED(MCI_CLOSE), NAMED(MCI_SET), NAMED(MCI_STATUS), NAMED(MCI_RECORD),
                         NAMED(MCI_STOP), NAMED(MCI_PLAY), NAMED(MCI_PAUSE), NAMED(MCI_RESUME), NAMED(MCI_SAVE),
                         NAMED(MCI_SEEK) });
}

// A flag bit means different things to different commands, so each command has its own names.
std::string FlagNames(UINT msg, DWORD_PTR flags)
{
    std::vector<Named> names = { NAMED(MCI_NOTIFY), NAMED(MCI_WAIT) };
    switch (msg) {
    case MCI_OPEN:
        names.insert(names.end(), { NAMED(MCI_OPEN_SHAREABLE), NAMED(MCI_OPEN_ELEMENT), NAMED(MCI_OPEN_ALIAS),
                                    NAMED(MCI_OPEN_TYPE) });
        break;
    case MCI_SET:
        names.insert(names.end(), { NAMED(MCI_SET_TIME_FORMAT), NAMED(MCI_WAVE_SET_FORMATTAG),
                                    NAMED(MCI_WAVE_SET_CHANNELS), NAMED(MCI_WAVE_SET_SAMPLESPERSEC),
                                    NAMED(MCI_WAVE_SET_AVGBYTESPERSEC), NAMED(MCI_WAVE_SET_BLOCKALIGN),
                                    NAMED(MCI_WAVE_SET_BITSPERSAMPLE) });
        break;
    case MCI_STATUS: names.push_back(NAMED(MCI_STATUS_ITEM)); break;
    case MCI_SAVE: names.push_back(NAMED(MCI_SAVE_FILE)); break;
    case MCI_PLAY: case MCI_RECORD: case MCI_SEEK: names.insert(names.end(), { NAMED(MCI_FROM), NAMED(MCI_TO) }); break;
    }
    std::string text;
    for (const Named& n : names)
        if (flags & n.value) {
            text += (text.empty() ? "" : "|") + std::string(n.name);
            flags &= ~n.value;
        }
    if (flags)
        text += (text.empty() ? "" : "|") + Hex(flags);
    return text.empty() ? "0" : text;
}

// The fields of the record that the command reads.
std::string RecordOf(const SentCommand& c)
{
    if (!c.hasParams)
        return "no record";
    std::ostringstream out;
    const DWORD_PTR f = c.flags;
    switch (c.msg) {
    case MCI_OPEN: out << " type='" << c.deviceType << "' element='" << c.element << "'"; break;
    case MCI_SET:
        if (f & MCI_SET_TIME_FORMAT)
            out << " time=" << (c.timeFormat == MCI_FORMAT_MILLISECONDS ? "ms" : std::to_string(c.timeFormat));
        if (f & MCI_WAVE_SET_FORMATTAG)
            out << " tag=" << (c.wave.wFormatTag == WAVE_FORMAT_PCM ? "PCM" : std::to_string(c.wave.wFormatTag));
        if (f & MCI_WAVE_SET_CHANNELS) out << " channels=" << c.wave.nChannels;
        if (f & MCI_WAVE_SET_SAMPLESPERSEC) out << " rate=" << c.wave.nSamplesPerSec;
        if (f & MCI_WAVE_SET_AVGBYTESPERSEC) out << " avg=" << c.wave.nAvgBytesPerSec;
        if (f & MCI_WAVE_SET_BLOCKALIGN) out << " align=" << c.wave.nBlockAlign;
        if (f & MCI_WAVE_SET_BITSPERSAMPLE) out << " bits=" << c.wave.wBitsPerSample;
        break;
    case MCI_STATUS:
        out << " item=" << NameOf(c.item, { NAMED(MCI_STATUS_POSITION), NAMED(MCI_STATUS_LENGTH),
                                             NAMED(MCI_WAVE_STATUS_CHANNELS), NAMED(MCI_WAVE_STATUS_SAMPLESPERSEC),
                                             NAMED(MCI_WAVE_STATUS_BITSPERSAMPLE), NAMED(MCI_WAVE_STATUS_LEVEL) });
        break;
    case MCI_PLAY: case MCI_RECORD: case MCI_SEEK:
        if (f & MCI_FROM) out << " from=" << c.from;
        if (f & MCI_TO) out << " to=" << c.to;
        break;
    case MCI_SAVE: out << " file='" << c.fileName << "'"; break;
    }
    const std::string fields = out.str();
    // The callback is named when it is set, or when it is all a generic record holds.
    if (c.callback == 0 && !fields.empty())
        return fields.substr(1);
    const bool window = c.callback == reinterpret_cast<DWORD_PTR>(WINDOW);
    return "callback=" + (window ? "window" : c.callback ? Hex(c.callback) : "0") + fields;
}

std::string Describe(UINT msg, UINT id, DWORD_PTR flags, const std::string& record)
{
    return MessageName(msg) + " to " + std::to_string(id) + " [" + FlagNames(msg, flags) + "] " + record;
}

using Step = std::function<void(CWaveDevice&)>;
using Call = std::function<DWORD(CWaveDevice&)>;
// Where the cases of a table start from.
const Step nothingOpen = [](CWaveDevice&) {};
const Step idle = [](CWaveDevice& w) { w.Open("take.wav"); };
const Step playing = [](CWaveDevice& w) { w.Open("take.wav"); w.Play(WINDOW, 0, 0); };
const Step recording = [](CWaveDevice& w) { w.Open(""); w.Record(WINDOW); };

// The device's id and activity in a few words, e.g. "id=7 ready playing".
std::string StateOf(const CWaveDevice& w)
{
    std::string state = "id=" + std::to_string(w.m_wDeviceID);
    if (w.m_bReady) state += " ready";
    if (w.m_bRecording) state += " recording";
    if (w.m_bPlaying) state += " playing";
    if (w.m_bPaused) state += " paused";
    return state;
}

// The scripted port hands out the ids 7, 8, ... in turn.
class WaveDeviceTest : public ::testing::Test {
protected:
    ScriptedMciPort port;
    ScopedMciPort portScope{ &port };
    RecordingUiSeam ui;
    ScopedUiSeam uiScope{ &ui };

    // A fresh device for each case of a table: ids start again at 7.
    void Reset()
    {
        port = ScriptedMciPort();
        ui.boxes.clear();
    }
    void Forget()
    {
        port.sent.clear();
        ui.boxes.clear();
    }
    // A fresh port, the device brought into a state, and what that sent forgotten.
    void Prepare(CWaveDevice& wave, const Step& before)
    {
        Reset();
        before(wave);
        Forget();
    }
    // Opens a device and forgets what that sent, so a test sees only its own commands.
    void OpenFresh(CWaveDevice& wave, const char* name = "take.wav")
    {
        ASSERT_EQ(1u, wave.Open(name));
        Forget();
    }

    // Compares what was sent since the last look with the table, then forgets it.
    ::testing::AssertionResult SentExactly(const std::vector<Cmd>& expected)
    {
        std::vector<std::string> want, got;
        for (const Cmd& e : expected)
            want.push_back(Describe(e.msg, e.id, e.flags, e.record));
        for (const SentCommand& c : port.sent)
            got.push_back(Describe(c.msg, c.id, c.flags, RecordOf(c)));
        port.sent.clear();
        if (want == got)
            return ::testing::AssertionSuccess();
        ::testing::AssertionResult failure = ::testing::AssertionFailure();
        failure << "the commands sent are not the expected ones:";
        for (size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
            const std::string w = i < want.size() ? want[i] : "(nothing)";
            const std::string g = i < got.size() ? got[i] : "(nothing)";
            failure << "\n  " << i << (w == g ? "   both: " : " wanted: ") << w;
            if (w != g)
                failure << "\n       sent: " << g;
        }
        return failure;
    }

    // The messages sent since the last look, in order, e.g. "MCI_CLOSE MCI_OPEN".
    std::string Messages()
    {
        std::string names;
        for (const SentCommand& c : port.sent)
            names += (names.empty() ? "" : " ") + MessageName(c.msg);
        port.sent.clear();
        return names;
    }
};

TEST_F(WaveDeviceTest, OpenGoesToNoDeviceThenSwitchesTheNewOneToMilliseconds)
{
    CWaveDevice wave;
    EXPECT_EQ(1u, wave.Open(""));
    EXPECT_TRUE(SentExactly({   // no close: nothing was open
        { MCI_OPEN, 0, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT, "type='waveaudio' element=''" },
        { MCI_SET, 7, MCI_SET_TIME_FORMAT | MCI_WAIT, "time=ms" },
    }));
    EXPECT_EQ("id=7 ready", StateOf(wave));
}

TEST_F(WaveDeviceTest, OpenClosesTheOpenDeviceFirstAndEndsWhatRanOnIt)
{
    CWaveDevice wave;
    OpenFresh(wave);
    wave.Play(WINDOW, 0, 0);
    wave.Pause();
    Forget();
    EXPECT_EQ(1u, wave.Open("other.wav"));
    EXPECT_TRUE(SentExactly({
        { MCI_CLOSE, 7, 0, "no record" },
        { MCI_OPEN, 0, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT, "type='waveaudio' element='other.wav'" },
        { MCI_SET, 8, MCI_SET_TIME_FORMAT | MCI_WAIT, "time=ms" },
    }));
    EXPECT_EQ("id=8 ready", StateOf(wave));
}

TEST_F(WaveDeviceTest, ATakeEndsWithItsDeviceEvenWhenTheNextOpenFails)
{
    CWaveDevice wave;
    OpenFresh(wave, "");
    wave.Record(WINDOW);
    port.FailNext(MCI_OPEN, MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(0u, wave.Open("missing.wav"));
    EXPECT_EQ("id=0", StateOf(wave));   // no content appears out of nothing
    Forget();
    EXPECT_EQ(1u, wave.Stop());
    EXPECT_TRUE(SentExactly({}));
    EXPECT_EQ("id=0", StateOf(wave));
}

TEST_F(WaveDeviceTest, CloseSendsNoRecordAndAFailedOneKeepsTheDeviceForTheNext)
{
    CWaveDevice wave;
    OpenFresh(wave);
    port.FailNext(MCI_CLOSE, MCIERR_INTERNAL);
    EXPECT_EQ(0u, wave.Close());
    EXPECT_EQ("id=7", StateOf(wave));
    EXPECT_EQ(1u, wave.Close());
    EXPECT_TRUE(SentExactly({
        { MCI_CLOSE, 7, 0, "no record" },
        { MCI_CLOSE, 7, 0, "no record" },
    }));
    EXPECT_EQ("id=0", StateOf(wave));

    Forget();
    wave.m_bReady = 1;
    EXPECT_EQ(0u, wave.Close());   // nothing open: nothing sent or shown, and nothing is ready
    EXPECT_TRUE(SentExactly({}));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ("id=0", StateOf(wave));
}

TEST_F(WaveDeviceTest, DestructorClosesTheOpenDevice)
{
    {
        CWaveDevice wave;
        OpenFresh(wave);
    }
    EXPECT_TRUE(SentExactly({ { MCI_CLOSE, 7, 0, "no record" } }));
}

TEST_F(WaveDeviceTest, RecordSendsNotifyAloneWithTheWindowAndTakesTheContentAway)
{
    CWaveDevice wave;
    OpenFresh(wave, "");
    EXPECT_EQ(1u, wave.Record(WINDOW));
    EXPECT_TRUE(SentExactly({ { MCI_RECORD, 7, MCI_NOTIFY, "callback=window" } }));
    EXPECT_EQ("id=7 recording", StateOf(wave));
}

TEST_F(WaveDeviceTest, RecordWithoutADeviceGoesToNoDeviceAndFailsVisibly)
{
    CWaveDevice wave;
    EXPECT_EQ(0u, wave.Record(WINDOW));
    EXPECT_TRUE(SentExactly({ { MCI_RECORD, 0, MCI_NOTIFY, "callback=window" } }));
    EXPECT_EQ(static_cast<DWORD>(MCIERR_INVALID_DEVICE_ID), wave.m_dwLastError);
    EXPECT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("id=0", StateOf(wave));
    EXPECT_EQ(0u, wave.Play(WINDOW, 0, 0));   // nothing to play after a failed take
    EXPECT_TRUE(SentExactly({}));
}

TEST_F(WaveDeviceTest, StopEndsWhatRunsAndRewinds)
{
    struct { const char* what; Step before; } cases[] = {
        { "a take, which becomes the content", recording },
        { "a playback", playing },
        // Left paused, the next Play would resume mid-way.
        { "a paused playback", [](CWaveDevice& w) { playing(w); w.Pause(); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWaveDevice wave;
        Prepare(wave, c.before);
        EXPECT_EQ(1u, wave.Stop());
        EXPECT_TRUE(SentExactly({
            { MCI_STOP, 7, MCI_WAIT, "callback=0" },
            { MCI_SEEK, 7, MCI_TO | MCI_WAIT, "to=0" },
        }));
        EXPECT_EQ("id=7 ready", StateOf(wave));
    }
}

TEST_F(WaveDeviceTest, PlayNotifiesTheWindowAndFlagsFromAndToAsTheArgumentsSay)
{
    struct { DWORD from, to; DWORD_PTR flags; const char* record; } cases[] = {
        { 0, 0, MCI_NOTIFY, "callback=window" },
        { 500, 500, MCI_NOTIFY | MCI_FROM, "callback=window from=500" },
        { 0, 700, MCI_NOTIFY | MCI_TO, "callback=window to=700" },
        { 500, 900, MCI_NOTIFY | MCI_FROM | MCI_TO, "callback=window from=500 to=900" },
    };
    CWaveDevice wave;
    OpenFresh(wave);
    for (const auto& c : cases) {
        EXPECT_EQ(1u, wave.Play(WINDOW, c.from, c.to));
        EXPECT_TRUE(SentExactly({ { MCI_PLAY, 7, c.flags, c.record } })) << c.from << " to " << c.to;
        EXPECT_EQ("id=7 ready playing", StateOf(wave));
    }
    wave.m_bPaused = 1;   // however it came about, a play that succeeds is not paused
    EXPECT_EQ(1u, wave.Play(WINDOW, 0, 0));
    EXPECT_EQ("id=7 ready playing", StateOf(wave));
}

TEST_F(WaveDeviceTest, PauseAndResumeWaitWithAGenericRecord)
{
    CWaveDevice wave;
    OpenFresh(wave);
    wave.Play(WINDOW, 0, 0);
    Forget();
    EXPECT_EQ(1u, wave.Pause());
    EXPECT_TRUE(SentExactly({ { MCI_PAUSE, 7, MCI_WAIT, "callback=0" } }));
    EXPECT_EQ("id=7 ready paused", StateOf(wave));
    EXPECT_EQ(1u, wave.Pause());
    EXPECT_TRUE(SentExactly({ { MCI_RESUME, 7, MCI_WAIT, "callback=0" } }));
    EXPECT_EQ("id=7 ready playing", StateOf(wave));
}

TEST_F(WaveDeviceTest, SaveSendsTheNameAsGiven)
{
    CWaveDevice wave;
    OpenFresh(wave, "");
    wave.Record(WINDOW);
    wave.Stop();
    Forget();
    EXPECT_EQ(1u, wave.Save("C:\\takes\\a.wav"));
    EXPECT_TRUE(SentExactly({ { MCI_SAVE, 7, MCI_SAVE_FILE | MCI_WAIT, "file='C:\\takes\\a.wav'" } }));
    EXPECT_EQ("id=7 ready", StateOf(wave));
}

TEST_F(WaveDeviceTest, SetFormatFillsTheSixFieldsWithWholeByteArithmetic)
{
    const DWORD_PTR sixAndWait = MCI_WAVE_SET_FORMATTAG | MCI_WAVE_SET_CHANNELS | MCI_WAVE_SET_SAMPLESPERSEC |
                                 MCI_WAVE_SET_AVGBYTESPERSEC | MCI_WAVE_SET_BLOCKALIGN |
                                 MCI_WAVE_SET_BITSPERSAMPLE | MCI_WAIT;
    struct { WORD channels; DWORD rate; WORD bits; const char* record; } cases[] = {
        { 2, 44100, 16, "tag=PCM channels=2 rate=44100 avg=176400 align=4 bits=16" },
        { 1, 8000, 8, "tag=PCM channels=1 rate=8000 avg=8000 align=1 bits=8" },
        { 1, 6000, 8, "tag=PCM channels=1 rate=6000 avg=6000 align=1 bits=8" },
        { 2, 22050, 8, "tag=PCM channels=2 rate=22050 avg=44100 align=2 bits=8" },
        { 1, 11025, 12, "tag=PCM channels=1 rate=11025 avg=11025 align=1 bits=12" },   // 12 bits: 1 whole byte
    };
    CWaveDevice wave;
    OpenFresh(wave);
    for (const auto& c : cases) {
        EXPECT_EQ(1u, wave.SetFormat(c.channels, c.rate, c.bits));
        EXPECT_TRUE(SentExactly({ { MCI_SET, 7, sixAndWait, c.record } }));
    }
}

TEST_F(WaveDeviceTest, GetFormatAsksForThreeItemsAndTakesTheirLowWords)
{
    CWaveDevice wave;
    WORD channels = 99, bits = 99;
    DWORD rate = 99;
    EXPECT_EQ(0u, wave.GetFormat(&channels, &rate, &bits));   // no device: nothing asked or written
    EXPECT_TRUE(SentExactly({}));
    EXPECT_EQ(99, channels);
    EXPECT_EQ(99u, rate);
    EXPECT_EQ(99, bits);

    OpenFresh(wave);
    port.statusAnswers[MCI_WAVE_STATUS_CHANNELS] = 0x00010001;
    port.statusAnswers[MCI_WAVE_STATUS_SAMPLESPERSEC] = 22050;
    port.statusAnswers[MCI_WAVE_STATUS_BITSPERSAMPLE] = 0x00010008;
    EXPECT_EQ(1u, wave.GetFormat(&channels, &rate, &bits));
    EXPECT_TRUE(SentExactly({
        { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=MCI_WAVE_STATUS_CHANNELS" },
        { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=MCI_WAVE_STATUS_SAMPLESPERSEC" },
        { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=MCI_WAVE_STATUS_BITSPERSAMPLE" },
    }));
    EXPECT_EQ(1, channels);
    EXPECT_EQ(22050u, rate);
    EXPECT_EQ(8, bits);
}

TEST_F(WaveDeviceTest, GetFormatStopsSilentlyAtTheFirstFailureKeepingWhatItHadRead)
{
    CWaveDevice wave;
    OpenFresh(wave);
    port.statusAnswers[MCI_WAVE_STATUS_CHANNELS] = 1;
    port.FailNext(MCI_STATUS, 0);
    port.FailNext(MCI_STATUS, MCIERR_UNSUPPORTED_FUNCTION);
    WORD channels = 99, bits = 99;
    DWORD rate = 99;
    EXPECT_EQ(0u, wave.GetFormat(&channels, &rate, &bits));
    EXPECT_EQ("MCI_STATUS MCI_STATUS", Messages());
    EXPECT_EQ(1, channels);   // read before the failure
    EXPECT_EQ(99u, rate);
    EXPECT_EQ(99, bits);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(static_cast<DWORD>(MCIERR_UNSUPPORTED_FUNCTION), wave.m_dwLastError);
}

TEST_F(WaveDeviceTest, PositionLengthAndLevelAreStatusItemsAndSeekGoesToAPosition)
{
    CWaveDevice wave;
    OpenFresh(wave);
    port.statusAnswers[MCI_STATUS_POSITION] = 1500;
    port.statusAnswers[MCI_STATUS_LENGTH] = 2000;
    port.statusAnswers[MCI_WAVE_STATUS_LEVEL] = 0x40000800;
    EXPECT_EQ(1500u, wave.GetPosition());
    EXPECT_EQ(2000u, wave.GetLength());
    EXPECT_EQ(0x40000800u, wave.GetLevel());
    wave.SeekTo(1200);
    EXPECT_TRUE(SentExactly({
        { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=MCI_STATUS_POSITION" },
        { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=MCI_STATUS_LENGTH" },
        { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=MCI_WAVE_STATUS_LEVEL" },
        { MCI_SEEK, 7, MCI_TO | MCI_WAIT, "to=1200" },
    }));
}

TEST_F(WaveDeviceTest, WhatHasNothingToActOnSendsNothingAndStoresNothing)
{
    struct { const char* what; Step before; Call call; DWORD result; const char* after; } cases[] = {
        { "set format, no device", nothingOpen, [](CWaveDevice& w) { return w.SetFormat(2, 44100, 16); }, 0, "id=0" },
        { "play, nothing ready", nothingOpen, [](CWaveDevice& w) { return w.Play(WINDOW, 0, 0); }, 0, "id=0" },
        { "save, no device", nothingOpen, [](CWaveDevice& w) { return w.Save("a.wav"); }, 1, "id=0" },
        { "position, no device", nothingOpen, [](CWaveDevice& w) { return w.GetPosition(); }, 0, "id=0" },
        { "level, no device", nothingOpen, [](CWaveDevice& w) { return w.GetLevel(); }, 0, "id=0" },
        { "length, no device", nothingOpen, [](CWaveDevice& w) { return w.GetLength(); }, NO_ANSWER, "id=0" },
        { "time format, no device", nothingOpen, [](CWaveDevice& w) { return w.SetTimeFormatMs(); }, NO_ANSWER,
          "id=0" },
        { "seek, no device", nothingOpen, [](CWaveDevice& w) { w.SeekTo(10); return DWORD(0); }, 0, "id=0" },
        { "stop, nothing runs", idle, [](CWaveDevice& w) { return w.Stop(); }, 1, "id=7 ready" },
        { "pause, a take runs", recording, [](CWaveDevice& w) { return w.Pause(); }, 1, "id=7 recording" },
        { "save, a take runs", recording, [](CWaveDevice& w) { return w.Save("a.wav"); }, 1, "id=7 recording" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWaveDevice wave;
        Prepare(wave, c.before);
        wave.m_dwLastError = 123;
        EXPECT_EQ(c.result, c.call(wave));
        EXPECT_TRUE(SentExactly({}));
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(c.after, StateOf(wave));
        EXPECT_EQ(123u, wave.m_dwLastError);
    }
}

TEST_F(WaveDeviceTest, AReportedFailureIsStoredAndShownInOneWarningBoxWithTheDevicesText)
{
    struct {
        const char* what;
        Step before;
        UINT failing;
        MCIERROR code;
        Call call;
        DWORD result, stored;
        const char* sent;
        const char* after;
    } cases[] = {
        { "open", nothingOpen, MCI_OPEN, MCIERR_FILE_NOT_FOUND, [](CWaveDevice& w) { return w.Open("missing.wav"); },
          0, MCIERR_FILE_NOT_FOUND, "MCI_OPEN", "id=0" },
        // The device is open all the same.
        { "time format of an open", nothingOpen, MCI_SET, MCIERR_UNSUPPORTED_FUNCTION,
          [](CWaveDevice& w) { return w.Open("x.wav"); }, 1, MCIERR_UNSUPPORTED_FUNCTION, "MCI_OPEN MCI_SET",
          "id=7 ready" },
        // What runs on a device still open goes on running.
        { "close", playing, MCI_CLOSE, MCIERR_INTERNAL, [](CWaveDevice& w) { return w.Close(); },
          0, MCIERR_INTERNAL, "MCI_CLOSE", "id=7 playing" },
        // The open goes on; its own success is the last result.
        { "close inside an open", idle, MCI_CLOSE, MCIERR_INTERNAL, [](CWaveDevice& w) { return w.Open("next.wav"); },
          1, 0, "MCI_CLOSE MCI_OPEN MCI_SET", "id=8 ready" },
        { "set format", idle, MCI_SET, MCIERR_OUTOFRANGE, [](CWaveDevice& w) { return w.SetFormat(2, 44100, 16); },
          0, MCIERR_OUTOFRANGE, "MCI_SET", "id=7 ready" },
        { "record", idle, MCI_RECORD, MCIERR_WAVE_INPUTSINUSE, [](CWaveDevice& w) { return w.Record(WINDOW); },
          0, MCIERR_WAVE_INPUTSINUSE, "MCI_RECORD", "id=7" },
        { "play", idle, MCI_PLAY, MCIERR_WAVE_OUTPUTSINUSE, [](CWaveDevice& w) { return w.Play(WINDOW, 0, 0); },
          0, MCIERR_WAVE_OUTPUTSINUSE, "MCI_PLAY", "id=7 ready" },
        // The content is kept for another try.
        { "save", idle, MCI_SAVE, MCIERR_FILE_NOT_SAVED, [](CWaveDevice& w) { return w.Save("Q:\\missing\\a.wav"); },
          0, MCIERR_FILE_NOT_SAVED, "MCI_SAVE", "id=7 ready" },
        { "length", idle, MCI_STATUS, MCIERR_INTERNAL, [](CWaveDevice& w) { return w.GetLength(); },
          NO_ANSWER, MCIERR_INTERNAL, "MCI_STATUS", "id=7 ready" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWaveDevice wave;
        Prepare(wave, c.before);
        port.FailNext(c.failing, c.code);
        EXPECT_EQ(c.result, c.call(wave));
        EXPECT_EQ(c.sent, Messages());
        EXPECT_EQ(c.stored, wave.m_dwLastError);
        EXPECT_EQ(c.after, StateOf(wave));
        ASSERT_EQ(1u, ui.boxes.size());
        EXPECT_EQ("device error " + std::to_string(c.code), ui.boxes[0].text);
        EXPECT_EQ(nullptr, ui.boxes[0].owner);
        EXPECT_EQ("(null)", ui.boxes[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), ui.boxes[0].type);
    }
}

TEST_F(WaveDeviceTest, FailuresOfStopsAndPositionQueriesAreNeitherShownNorStored)
{
    struct { const char* what; Step before; std::vector<UINT> failing; Call call; DWORD result; } cases[] = {
        { "stop of a take", recording, { MCI_STOP, MCI_SEEK }, [](CWaveDevice& w) { return w.Stop(); }, 1 },
        { "stop of a playback", playing, { MCI_STOP, MCI_SEEK }, [](CWaveDevice& w) { return w.Stop(); }, 1 },
        { "position", idle, { MCI_STATUS }, [](CWaveDevice& w) { return w.GetPosition(); }, 0 },
        { "level", idle, { MCI_STATUS }, [](CWaveDevice& w) { return w.GetLevel(); }, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWaveDevice wave;
        Prepare(wave, c.before);
        for (UINT msg : c.failing)
            port.FailNext(msg, MCIERR_INTERNAL);
        EXPECT_EQ(c.result, c.call(wave));
        EXPECT_EQ(c.failing.size(), port.sent.size());   // each failure was met
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(0u, wave.m_dwLastError);
        EXPECT_EQ("id=7 ready", StateOf(wave));
    }
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
