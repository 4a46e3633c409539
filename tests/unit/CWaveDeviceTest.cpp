// CWaveDevice over a scripted device, one table per group of operations. A row gives the fields
// before, the operation, each command it must send (device, flags, the record's fields) with the
// device's answer, and then the result, the fields after, the code kept and the boxes shown.
#include <gtest/gtest.h>
#include "CWaveDevice.h"
#include "MciContract.h"
#include "RecordingUiSeam.h"
#include "ScriptedMciPort.h"
#include <map>
#include <sstream>

namespace {
const HWND WINDOW = reinterpret_cast<HWND>(0x1234);
const DWORD UNTOUCHED = 0xBAD;   // m_dwLastError before every row
const DWORD kOpen = MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT;
const DWORD kMs = MCI_SET_TIME_FORMAT | MCI_WAIT;
const DWORD kWave = 0x003F0002;   // the six wave-format flags and MCI_WAIT

// A command the device must send, and what the scripted device answers.
struct Cmd {
    UINT msg;
    UINT id;
    DWORD flags;
    std::string fields;   // as Fields writes them
    MCIERROR answer = 0;
    DWORD ret = 0;        // MCI_STATUS: the dwReturn answered
};
// The commands most rows send, to device 7 (8 for a device opened while 7 is open).
const Cmd open = { MCI_OPEN, 0, kOpen, "type=waveaudio element='take.wav'" };
const Cmd close7 = { MCI_CLOSE, 7, 0, "no record" };
const Cmd ms7 = { MCI_SET, 7, kMs, "time=0" };
const Cmd ms8 = { MCI_SET, 8, kMs, "time=0" };
const Cmd record7 = { MCI_RECORD, 7, MCI_NOTIFY, "callback=window from=0 to=0" };
const Cmd stop7 = { MCI_STOP, 7, MCI_WAIT, "callback=0" };
const Cmd rewind7 = { MCI_SEEK, 7, MCI_TO | MCI_WAIT, "to=0" };
const Cmd play7 = { MCI_PLAY, 7, MCI_NOTIFY, "callback=window from=0 to=0" };
const Cmd pause7 = { MCI_PAUSE, 7, MCI_WAIT, "callback=0" };
const Cmd resume7 = { MCI_RESUME, 7, MCI_WAIT, "callback=0" };
const Cmd save7 = { MCI_SAVE, 7, MCI_SAVE_FILE | MCI_WAIT, "file='C:\\a.wav'" };
const Cmd stereo16 = { MCI_SET, 7, kWave, "tag=1 channels=2 rate=44100 avg=176400 align=4 bits=16" };

Cmd Fails(Cmd c, MCIERROR code)
{
    c.answer = code;
    return c;
}

// The fields of the record that the command is read by.
std::string Fields(const SentCommand& c)
{
    if (!c.hasParams)
        return "no record";
    std::ostringstream out;
    const MCI_WAVE_SET_PARMS& w = c.wave;
    const std::string callback =
        "callback=" + (c.callback == reinterpret_cast<DWORD_PTR>(WINDOW) ? "window" : std::to_string(c.callback));
    switch (c.msg) {
    case MCI_OPEN: out << "type=" << c.deviceType << " element='" << c.element << "'"; break;
    case MCI_SET:
        if (c.flags & MCI_SET_TIME_FORMAT)
            out << "time=" << c.timeFormat;
        if (c.flags & 0x003F0000)
            out << "tag=" << w.wFormatTag << " channels=" << w.nChannels << " rate=" << w.nSamplesPerSec
                << " avg=" << w.nAvgBytesPerSec << " align=" << w.nBlockAlign << " bits=" << w.wBitsPerSample;
        break;
    case MCI_STATUS: out << "item=0x" << std::hex << c.item; break;
    case MCI_SAVE: out << "file='" << c.fileName << "'"; break;
    case MCI_SEEK: out << "to=" << c.to; break;
    case MCI_PLAY: case MCI_RECORD: out << callback << " from=" << c.from << " to=" << c.to; break;
    default: out << callback;
    }
    return out.str();
}

// A command on a line of its own: "MCI_SEEK to 7 flags 0xa: to=0".
std::string Describe(UINT msg, UINT id, DWORD_PTR flags, const std::string& fields)
{
#define NAME(m) { m, #m }
    static const std::map<UINT, const char*> names = { NAME(MCI_OPEN), NAME(MCI_CLOSE), NAME(MCI_SET),
        NAME(MCI_STATUS), NAME(MCI_RECORD), NAME(MCI_STOP), NAME(MCI_PLAY), NAME(MCI_PAUSE), NAME(MCI_RESUME),
        NAME(MCI_SAVE), NAME(MCI_SEEK) };
    std::ostringstream out;
    out << "\n  " << (names.count(msg) ? names.at(msg) : "?") << " to " << id << " flags 0x" << std::hex << flags;
    return out.str() + ": " + fields;
}
std::string Describe(const Cmd& c) { return Describe(c.msg, c.id, c.flags, c.fields); }
std::string Describe(const SentCommand& c) { return Describe(c.msg, c.id, c.flags, Fields(c)); }

// The device's fields in words, the id first: "7 ready playing", "0".
const std::pair<const char*, BOOL CWaveDevice::*> kFlags[] = { { "ready", &CWaveDevice::m_bReady },
    { "recording", &CWaveDevice::m_bRecording }, { "playing", &CWaveDevice::m_bPlaying },
    { "paused", &CWaveDevice::m_bPaused } };

std::string StateOf(const CWaveDevice& w)
{
    std::string state = std::to_string(w.m_wDeviceID);
    for (const auto& flag : kFlags)
        state += w.*flag.second ? std::string(" ") + flag.first : "";
    return state;
}

void SetState(CWaveDevice& w, const std::string& state)
{
    std::istringstream words(state);
    words >> w.m_wDeviceID;
    for (std::string word; words >> word;)
        for (const auto& flag : kFlags)
            w.*flag.second |= word == flag.first;
    ASSERT_EQ(state, StateOf(w)) << "a state written as StateOf writes it";
}

#define CALL(expr) [](CWaveDevice& w) -> DWORD { return expr; }

struct Row {
    const char* what;
    const char* before;
    DWORD (*call)(CWaveDevice&);
    std::vector<Cmd> sends;
    DWORD result;
    const char* after;
    DWORD stored;                       // m_dwLastError afterwards
    std::vector<MCIERROR> shown = {};   // one warning box for each
};

class WaveDeviceTest : public ::testing::Test {
protected:
    RecordingUiSeam ui;
    ScopedUiSeam uiScope{ &ui };

    void Run(const std::vector<Row>& rows)
    {
        for (const Row& row : rows)
            Run(row);
    }

    void Run(const Row& row)
    {
        SCOPED_TRACE(row.what);
        ScriptedMciPort port;
        ScopedMciPort portScope(&port);
        ui.boxes.clear();
        CWaveDevice wave;
        SetState(wave, row.before);
        wave.m_dwLastError = UNTOUCHED;
        if (wave.m_wDeviceID != 0) {
            port.openIds.insert(wave.m_wDeviceID);
            port.nextDeviceId = wave.m_wDeviceID + 1;
        }
        std::string want, got, wantBoxes, gotBoxes;
        for (const Cmd& c : row.sends) {
            port.FailNext(c.msg, c.answer);
            if (c.msg == MCI_STATUS)   // its fields are "item=0x..."
                port.statusAnswers[std::stoul(c.fields.substr(5), nullptr, 16)] = c.ret;
            want += Describe(c);
        }
        EXPECT_EQ(row.result, row.call(wave));
        for (const SentCommand& c : port.sent)
            got += Describe(c);
        EXPECT_EQ(want, got) << "the commands sent";
        EXPECT_EQ(row.after, StateOf(wave));
        EXPECT_EQ(row.stored, wave.m_dwLastError);
        for (MCIERROR code : row.shown)
            wantBoxes += "[device error " + std::to_string(code) + "]";
        for (const ShownBox& box : ui.boxes) {   // no owner, the default caption, a warning
            const bool plain = !box.owner && box.caption == "(null)" && box.type == UINT(MB_ICONWARNING);
            gotBoxes += "[" + box.text + (plain ? "]" : " in another kind of box]");
        }
        EXPECT_EQ(wantBoxes, gotBoxes);
    }
};

TEST_F(WaveDeviceTest, OpenAndClose)
{
    Run({
        { "a new recording", "0", CALL(w.Open("")), { { MCI_OPEN, 0, kOpen, "type=waveaudio element=''" }, ms7 }, 1,
          "7 ready", 0 },
        { "a file, the open device closed first", "7 ready", CALL(w.Open("take.wav")), { close7, open, ms8 }, 1,
          "8 ready", 0 },
        // Closing ends what ran: left paused, the next Pause would resume on the new device.
        { "over a paused playback", "7 paused", CALL(w.Open("take.wav")), { close7, open, ms8 }, 1, "8 ready", 0 },
        { "a take an earlier run left", "0", CALL(w.OpenTake("C:\\take.wav")),
          { { MCI_OPEN, 0, kOpen | kWaveOpenTake, "type=waveaudio element='C:\\take.wav'" }, ms7 }, 1, "7 ready", 0 },
        { "close", "7 ready playing", CALL(w.Close()), { close7 }, 1, "0", 0 },
    });
}

TEST_F(WaveDeviceTest, DestructorClosesTheOpenDevice)
{
    ScriptedMciPort port;
    ScopedMciPort portScope(&port);
    {
        CWaveDevice wave;
        wave.Open("take.wav");
        port.sent.clear();
    }
    ASSERT_EQ(1u, port.sent.size());
    EXPECT_EQ(Describe(close7), Describe(port.sent[0]));
}

TEST_F(WaveDeviceTest, RecordStopPlayAndPause)
{
    Run({
        { "record", "7 ready", CALL(w.Record(WINDOW)), { record7 }, 1, "7 recording", 0 },
        { "stop a take, which becomes the content", "7 recording", CALL(w.Stop()), { stop7, rewind7 }, 1, "7 ready",
          UNTOUCHED },
        { "stop a playback", "7 ready playing", CALL(w.Stop()), { stop7, rewind7 }, 1, "7 ready", UNTOUCHED },
        // Left paused, the next Play would start mid-way while the display said "Paused".
        { "stop a paused playback", "7 ready paused", CALL(w.Stop()), { stop7, rewind7 }, 1, "7 ready", UNTOUCHED },
        { "stop a take and a playback", "7 recording playing", CALL(w.Stop()), { stop7, rewind7, stop7, rewind7 }, 1,
          "7 ready", UNTOUCHED },
        { "stop with nothing running", "7 ready", CALL(w.Stop()), {}, 1, "7 ready", UNTOUCHED },
        { "play to the end", "7 ready", CALL(w.Play(WINDOW, 0, 0)), { play7 }, 1, "7 ready playing", 0 },
        { "play from a place", "7 ready", CALL(w.Play(WINDOW, 500, 500)),
          { { MCI_PLAY, 7, MCI_NOTIFY | MCI_FROM, "callback=window from=500 to=500" } }, 1, "7 ready playing", 0 },
        { "play to a place", "7 ready", CALL(w.Play(WINDOW, 0, 700)),
          { { MCI_PLAY, 7, MCI_NOTIFY | MCI_TO, "callback=window from=0 to=700" } }, 1, "7 ready playing", 0 },
        { "play from a place to another", "7 ready", CALL(w.Play(WINDOW, 500, 900)),
          { { MCI_PLAY, 7, MCI_NOTIFY | MCI_FROM | MCI_TO, "callback=window from=500 to=900" } }, 1, "7 ready playing",
          0 },
        { "play while playing", "7 ready playing", CALL(w.Play(WINDOW, 0, 0)), { play7 }, 1, "7 ready playing", 0 },
        // A play that starts is not paused, however it came about.
        { "play after a pause", "7 ready paused", CALL(w.Play(WINDOW, 0, 0)), { play7 }, 1, "7 ready playing", 0 },
        { "pause a playback", "7 ready playing", CALL(w.Pause()), { pause7 }, 1, "7 ready paused", UNTOUCHED },
        { "pause again: resume", "7 ready paused", CALL(w.Pause()), { resume7 }, 1, "7 ready playing", UNTOUCHED },
        { "pause a take", "7 recording", CALL(w.Pause()), {}, 1, "7 recording", UNTOUCHED },
        { "pause with nothing running", "7 ready", CALL(w.Pause()), {}, 1, "7 ready", UNTOUCHED },
    });
}

TEST_F(WaveDeviceTest, SaveAndSeek)
{
    Run({
        { "save", "7 ready", CALL(w.Save("C:\\a.wav")), { save7 }, 1, "7 ready", 0 },
        { "save during playback", "7 ready playing", CALL(w.Save("C:\\a.wav")), { save7 }, 1, "7 ready playing", 0 },
        { "seek", "7 ready", CALL((w.SeekTo(1200), 0)), { { MCI_SEEK, 7, MCI_TO | MCI_WAIT, "to=1200" } }, 0, "7 ready",
          UNTOUCHED },
    });
}

TEST_F(WaveDeviceTest, StatusQueriesAndSettings)
{
    Run({
        { "position", "7 recording", CALL(w.GetPosition()), { { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x2", 0, 1500 } },
          1500, "7 recording", UNTOUCHED },
        { "length", "7 ready", CALL(w.GetLength()), { { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x1", 0, 2000 } }, 2000,
          "7 ready", 0 },
        { "level", "7 recording", CALL(w.GetLevel()),
          { { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x4007", 0, 0x40000800 } }, 0x40000800, "7 recording", UNTOUCHED },
        { "milliseconds", "7 ready", CALL(w.SetTimeFormatMs()), { ms7 }, 1, "7 ready", 0 },
        { "stereo, 16 bits", "7 ready", CALL(w.SetFormat(2, 44100, 16)), { stereo16 }, 1, "7 ready", 0 },
        { "mono, 8 bits", "7 ready", CALL(w.SetFormat(1, 8000, 8)),
          { { MCI_SET, 7, kWave, "tag=1 channels=1 rate=8000 avg=8000 align=1 bits=8" } }, 1, "7 ready", 0 },
        { "stereo, 8 bits", "7 ready", CALL(w.SetFormat(2, 22050, 8)),
          { { MCI_SET, 7, kWave, "tag=1 channels=2 rate=22050 avg=44100 align=2 bits=8" } }, 1, "7 ready", 0 },
        { "12 bits are one whole byte", "7 ready", CALL(w.SetFormat(2, 11025, 12)),
          { { MCI_SET, 7, kWave, "tag=1 channels=2 rate=11025 avg=22050 align=2 bits=12" } }, 1, "7 ready", 0 },
    });
}

TEST_F(WaveDeviceTest, GetFormatTakesTheLowWordsAndStopsSilentlyAtAFailure)
{
    static WORD channels, bits;
    static DWORD rate;
    const auto format = CALL(w.GetFormat(&channels, &rate, &bits));
    const Cmd asked[] = { { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x4002", 0, 0x00010001 },
                          { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x4003", 0, 22050 },
                          { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x4006", 0, 0x00010008 } };
    const MCIERROR E = MCIERR_INTERNAL;
    struct { Row row; const char* written; } cases[] = {
        { { "all three", "7 ready", format, { asked[0], asked[1], asked[2] }, 1, "7 ready", 0 }, "1 22050 8" },
        { { "the first fails", "7 ready", format, { Fails(asked[0], E) }, 0, "7 ready", E }, "99 99 99" },
        { { "the second fails", "7 ready", format, { asked[0], Fails(asked[1], E) }, 0, "7 ready", E }, "1 99 99" },
        { { "no device", "0", format, {}, 0, "0", UNTOUCHED }, "99 99 99" },
    };
    for (const auto& c : cases) {
        channels = bits = 99;
        rate = 99;
        Run(c.row);
        EXPECT_EQ(c.written, std::to_string(channels) + " " + std::to_string(rate) + " " + std::to_string(bits));
    }
}

TEST_F(WaveDeviceTest, FailuresAreShownAndKeptOrIgnoredAsEachCommandDeserves)
{
    const MCIERROR E = MCIERR_INTERNAL;
    Run({
        // Shown in a box, and kept.
        { "open", "0", CALL(w.Open("take.wav")), { Fails(open, E) }, 0, "0", E, { E } },
        // No content appears out of nothing, and nothing is left to stop.
        { "open after a take", "7 recording", CALL(w.Open("take.wav")), { close7, Fails(open, E) }, 0, "0", E, { E } },
        { "the close inside an open, which goes on", "7 ready", CALL(w.Open("take.wav")),
          { Fails(close7, E), open, ms8 }, 1, "8 ready", 0, { E } },
        { "the time format inside an open, which is open all the same", "0", CALL(w.Open("take.wav")),
          { open, Fails(ms7, E) }, 1, "7 ready", E, { E } },
        // What runs on a device still open goes on running.
        { "close", "7 ready playing", CALL(w.Close()), { Fails(close7, E) }, 0, "7 playing", E, { E } },
        { "set format", "7 ready", CALL(w.SetFormat(2, 44100, 16)), { Fails(stereo16, E) }, 0, "7 ready", E, { E } },
        { "record", "7 ready", CALL(w.Record(WINDOW)), { Fails(record7, E) }, 0, "7", E, { E } },
        // Record asks no question of its own: with no device, the device says no.
        { "record with no device", "0", CALL(w.Record(WINDOW)),
          { { MCI_RECORD, 0, MCI_NOTIFY, "callback=window from=0 to=0", MCIERR_INVALID_DEVICE_ID } }, 0, "0",
          MCIERR_INVALID_DEVICE_ID, { MCIERR_INVALID_DEVICE_ID } },
        { "play", "7 ready", CALL(w.Play(WINDOW, 0, 0)), { Fails(play7, E) }, 0, "7 ready", E, { E } },
        // The content is kept for another try.
        { "save", "7 ready", CALL(w.Save("C:\\a.wav")), { Fails(save7, E) }, 0, "7 ready", E, { E } },
        { "length", "7 ready", CALL(w.GetLength()), { { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x1", E } }, NO_ANSWER,
          "7 ready", E, { E } },
        // Neither shown nor kept; the flags change as if all went well.
        { "stop of a take", "7 recording", CALL(w.Stop()), { Fails(stop7, E), Fails(rewind7, E) }, 1, "7 ready",
          UNTOUCHED },
        { "stop of a playback", "7 ready playing", CALL(w.Stop()), { Fails(stop7, E), Fails(rewind7, E) }, 1,
          "7 ready", UNTOUCHED },
        { "pause", "7 ready playing", CALL(w.Pause()), { Fails(pause7, E) }, 1, "7 ready paused", UNTOUCHED },
        { "resume", "7 ready paused", CALL(w.Pause()), { Fails(resume7, E) }, 1, "7 ready playing", UNTOUCHED },
        { "position", "7 ready", CALL(w.GetPosition()), { { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x2", E, 1500 } }, 0,
          "7 ready", UNTOUCHED },
        { "level", "7 ready", CALL(w.GetLevel()), { { MCI_STATUS, 7, MCI_STATUS_ITEM, "item=0x4007", E, 99 } }, 0,
          "7 ready", UNTOUCHED },
    });
}

TEST_F(WaveDeviceTest, WhatHasNothingToActOnSendsNothingAndKeepsNothing)
{
    Run({
        { "close, nothing open", "0 ready", CALL(w.Close()), {}, 0, "0", UNTOUCHED },
        { "play, nothing ready", "7", CALL(w.Play(WINDOW, 0, 0)), {}, 0, "7", UNTOUCHED },
        { "play, nothing open", "0", CALL(w.Play(WINDOW, 0, 0)), {}, 0, "0", UNTOUCHED },
        { "save, nothing open", "0", CALL(w.Save("a.wav")), {}, 1, "0", UNTOUCHED },
        { "save, a take runs", "7 recording", CALL(w.Save("a.wav")), {}, 1, "7 recording", UNTOUCHED },
        { "seek, nothing open", "0", CALL((w.SeekTo(10), 0)), {}, 0, "0", UNTOUCHED },
        { "set format, nothing open", "0", CALL(w.SetFormat(2, 44100, 16)), {}, 0, "0", UNTOUCHED },
        { "time format, nothing open", "0", CALL(w.SetTimeFormatMs()), {}, NO_ANSWER, "0", UNTOUCHED },
        { "position, nothing open", "0", CALL(w.GetPosition()), {}, 0, "0", UNTOUCHED },
        { "level, nothing open", "0", CALL(w.GetLevel()), {}, 0, "0", UNTOUCHED },
        { "length, nothing open", "0", CALL(w.GetLength()), {}, NO_ANSWER, "0", UNTOUCHED },
    });
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
