// One contract for a waveaudio device: what it refuses before it looks at what it holds, what
// it hands back when it takes a command, and whether it is still open afterwards. The engine
// and the tests' scripted device decide this each by rules of their own; the table runs against
// both, so that the two cannot come to disagree without a failing test.
#include "CEngineMciPort.h"
#include "CWaveEngine.h"
#include "MciContract.h"
#include "ScriptedMciPort.h"
#include <gtest/gtest.h>
#include <optional>

namespace {

enum class Record { None, Open, OpenCd, Generic, Status, OtherStatus, SetMs, Seek, Save, SaveNoName, Play, Level };
enum class To { TheDevice, NoDevice, AClosedDevice };

struct Row {
    const char* what;
    UINT msg;
    DWORD flags;
    Record record;
    To to;
    MCIERROR result;
    bool openAfter;
};

const DWORD kOpenFlags = MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT;

const Row kContract[] = {
    { "open a new device", MCI_OPEN, kOpenFlags, Record::Open, To::NoDevice, 0, true },
    { "open addressed to a device", MCI_OPEN, kOpenFlags, Record::Open, To::TheDevice, MCIERR_INVALID_DEVICE_ID, true },
    { "open without its record", MCI_OPEN, kOpenFlags, Record::None, To::NoDevice, MCIERR_NULL_PARAMETER_BLOCK, true },
    { "open with a notice", MCI_OPEN, kOpenFlags | MCI_NOTIFY, Record::Open, To::NoDevice, MCIERR_UNSUPPORTED_FUNCTION, true },
    { "open of a take with no file", MCI_OPEN, kOpenFlags | kWaveOpenTake, Record::Open, To::NoDevice, MCIERR_FILENAME_REQUIRED, true },
    { "open of another device type", MCI_OPEN, kOpenFlags, Record::OpenCd, To::NoDevice, MCIERR_INVALID_DEVICE_NAME, true },
    { "close", MCI_CLOSE, 0, Record::None, To::TheDevice, 0, false },
    { "close of a closed device", MCI_CLOSE, 0, Record::None, To::AClosedDevice, MCIERR_INVALID_DEVICE_ID, false },
    { "close of no device", MCI_CLOSE, 0, Record::None, To::NoDevice, MCIERR_INVALID_DEVICE_ID, true },
    { "close with a notice", MCI_CLOSE, MCI_NOTIFY, Record::Generic, To::TheDevice, MCIERR_UNSUPPORTED_FUNCTION, true },
    { "status of the length", MCI_STATUS, MCI_STATUS_ITEM, Record::Status, To::TheDevice, 0, true },
    { "status without its item flag", MCI_STATUS, MCI_WAIT, Record::Status, To::TheDevice, MCIERR_MISSING_PARAMETER, true },
    { "status without its record", MCI_STATUS, MCI_STATUS_ITEM, Record::None, To::TheDevice, MCIERR_NULL_PARAMETER_BLOCK, true },
    { "status of the level", MCI_STATUS, MCI_STATUS_ITEM, Record::Level, To::TheDevice, 0, true },
    { "status of the level of a closed device", MCI_STATUS, MCI_STATUS_ITEM, Record::Level, To::AClosedDevice, MCIERR_INVALID_DEVICE_ID, false },
    { "status of an item no caller asks", MCI_STATUS, MCI_STATUS_ITEM, Record::OtherStatus, To::TheDevice, MCIERR_BAD_CONSTANT, true },
    { "status of a closed device", MCI_STATUS, MCI_STATUS_ITEM, Record::Status, To::AClosedDevice, MCIERR_INVALID_DEVICE_ID, false },
    { "milliseconds", MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, Record::SetMs, To::TheDevice, 0, true },
    { "set of nothing", MCI_SET, MCI_WAIT, Record::SetMs, To::TheDevice, MCIERR_MISSING_PARAMETER, true },
    { "set of the audio", MCI_SET, MCI_SET_AUDIO | MCI_WAIT, Record::SetMs, To::TheDevice, MCIERR_UNSUPPORTED_FUNCTION, true },
    { "stop", MCI_STOP, MCI_WAIT, Record::Generic, To::TheDevice, 0, true },
    { "stop with a notice", MCI_STOP, MCI_NOTIFY, Record::Generic, To::TheDevice, MCIERR_UNSUPPORTED_FUNCTION, true },
    { "pause", MCI_PAUSE, MCI_WAIT, Record::Generic, To::TheDevice, 0, true },
    { "resume", MCI_RESUME, MCI_WAIT, Record::Generic, To::TheDevice, 0, true },
    { "seek to the start", MCI_SEEK, MCI_TO | MCI_WAIT, Record::Seek, To::TheDevice, 0, true },
    { "seek to nowhere", MCI_SEEK, MCI_WAIT, Record::Seek, To::TheDevice, MCIERR_MISSING_PARAMETER, true },
    { "seek to the end", MCI_SEEK, MCI_SEEK_TO_END | MCI_WAIT, Record::Seek, To::TheDevice, MCIERR_UNSUPPORTED_FUNCTION, true },
    { "save without a name", MCI_SAVE, MCI_SAVE_FILE | MCI_WAIT, Record::SaveNoName, To::TheDevice, MCIERR_FILENAME_REQUIRED, true },
    { "save without its file flag", MCI_SAVE, MCI_WAIT, Record::Save, To::TheDevice, MCIERR_FILENAME_REQUIRED, true },
    { "play that waits", MCI_PLAY, MCI_WAIT, Record::Play, To::TheDevice, MCIERR_UNSUPPORTED_FUNCTION, true },
    { "record from a place", MCI_RECORD, MCI_NOTIFY | MCI_FROM, Record::Play, To::TheDevice, MCIERR_UNSUPPORTED_FUNCTION, true },
    { "record inserting", MCI_RECORD, MCI_NOTIFY | MCI_RECORD_INSERT, Record::Play, To::TheDevice, MCIERR_UNSUPPORTED_FUNCTION, true },
    { "a command no device of ours knows", MCI_CUE, MCI_WAIT, Record::Generic, To::TheDevice, MCIERR_UNRECOGNIZED_COMMAND, true },
};

const DWORD kUnwritten = 0xDEADBEEF;

// Every parameter record a row may send, filled as its command expects it.
struct Records {
    MCI_OPEN_PARMSA open = {}, openCd = {};
    MCI_GENERIC_PARMS generic = {};
    MCI_STATUS_PARMS status = {}, other = {}, level = {};
    MCI_SET_PARMS set = {};
    MCI_SEEK_PARMS seek = {};
    MCI_SAVE_PARMSA save = {}, unnamed = {};
    MCI_PLAY_PARMS play = {};

    Records()
    {
        open.lpstrDeviceType = "waveaudio";
        openCd.lpstrDeviceType = "cdaudio";
        open.lpstrElementName = openCd.lpstrElementName = "";
        status.dwReturn = other.dwReturn = level.dwReturn = kUnwritten;
        status.dwItem = MCI_STATUS_LENGTH;
        other.dwItem = MCI_STATUS_MODE;
        level.dwItem = MCI_WAVE_STATUS_LEVEL;
        set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
        save.lpfilename = "C:\\nowhere\\contract.wav";
    }
    DWORD_PTR For(Record kind)
    {
        const void* const all[] = { nullptr, &open, &openCd, &generic, &status, &other, &set, &seek, &save, &unnamed, &play, &level };
        return reinterpret_cast<DWORD_PTR>(all[static_cast<int>(kind)]);
    }
    // Whether the device wrote what the record reads back (an id, a status answer); none for others.
    std::optional<bool> Answered(Record kind) const
    {
        switch (kind) {
        case Record::Open: return open.wDeviceID != 0;
        case Record::OpenCd: return openCd.wDeviceID != 0;
        case Record::Status: return status.dwReturn != kUnwritten;
        case Record::OtherStatus: return other.dwReturn != kUnwritten;
        case Record::Level: return level.dwReturn != kUnwritten;
        default: return std::nullopt;
        }
    }
};

bool IsOpen(IMciPort& port, MCIDEVICEID id)
{
    Records records;
    return port.SendCommand(id, MCI_STATUS, MCI_STATUS_ITEM, records.For(Record::Status)) != MCIERR_INVALID_DEVICE_ID;
}

void RunContract(IMciPort& port)
{
    for (const Row& row : kContract) {
        SCOPED_TRACE(row.what);
        Records first, records;
        ASSERT_EQ(0u, port.SendCommand(0, MCI_OPEN, kOpenFlags, first.For(Record::Open)));
        const MCIDEVICEID id = first.open.wDeviceID;
        ASSERT_NE(0u, id);
        if (row.to == To::AClosedDevice) {
            ASSERT_EQ(0u, port.SendCommand(id, MCI_CLOSE, 0, 0));
        }
        const MCIDEVICEID to = row.to == To::NoDevice ? 0 : id;
        EXPECT_EQ(row.result, port.SendCommand(to, row.msg, row.flags, records.For(row.record)));
        if (const std::optional<bool> answered = records.Answered(row.record)) {
            EXPECT_EQ(row.result == 0, *answered) << "an answer is written when the command is taken, only then";
        }
        EXPECT_EQ(row.openAfter, IsOpen(port, id)) << "the device is open afterwards";
        for (const MCIDEVICEID opened : { id, records.open.wDeviceID })   // an open row's own too
            if (IsOpen(port, opened))
                port.SendCommand(opened, MCI_CLOSE, 0, 0);
    }
}

// The engine as the program reaches it, through its own port.
TEST(MciContract, TheEngineKeepsIt)
{
    CEngineMciPort port;
    RunContract(port);
}

TEST(MciContract, TheScriptedDeviceKeepsIt)
{
    ScriptedMciPort port;
    RunContract(port);
    EXPECT_TRUE(port.openIds.empty());
}

} // namespace
