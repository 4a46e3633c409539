// The device port itself: with no port in place nothing is reached, and the scripted port that
// the other tests use refuses what the real device refuses, so a command to the wrong device or
// without its record cannot pass unseen.
#include <gtest/gtest.h>
#include "ScriptedMciPort.h"

namespace {
TEST(DevicePort, WithoutAPortInPlaceEveryCommandFindsNoDevice)
{
    ScopedMciPort none(nullptr);
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "waveaudio";
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_DEVICE_NOT_INSTALLED),
              GetMciPort().SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)));
    EXPECT_EQ(0u, open.wDeviceID);
}

TEST(DevicePort, ScriptedPortRefusesWrongDevicesAndMissingRecords)
{
    ScriptedMciPort port;
    MCI_OPEN_PARMSA open = {};
    const auto openRecord = reinterpret_cast<DWORD_PTR>(&open);
    ASSERT_EQ(0u, port.SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, openRecord));
    const MCIDEVICEID kept = open.wDeviceID;
    ASSERT_EQ(0u, port.SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, openRecord));
    const MCIDEVICEID closed = open.wDeviceID;
    ASSERT_EQ(0u, port.SendCommand(closed, MCI_CLOSE, 0, 0));   // close alone needs no record

    MCI_GENERIC_PARMS generic = {};
    const auto record = reinterpret_cast<DWORD_PTR>(&generic);
    struct {
        const char* what;
        MCIDEVICEID id;
        UINT msg;
        DWORD_PTR params;
        MCIERROR result;
    } cases[] = {
        { "stop to the open device", kept, MCI_STOP, record, 0 },
        { "stop to no device", 0, MCI_STOP, record, MCIERR_INVALID_DEVICE_ID },
        { "stop to a closed device", closed, MCI_STOP, record, MCIERR_INVALID_DEVICE_ID },
        { "stop to an id never handed out", 42, MCI_STOP, record, MCIERR_INVALID_DEVICE_ID },
        { "close to a closed device", closed, MCI_CLOSE, 0, MCIERR_INVALID_DEVICE_ID },
        { "open to a device", kept, MCI_OPEN, openRecord, MCIERR_INVALID_DEVICE_ID },
        { "stop without a record", kept, MCI_STOP, 0, MCIERR_NULL_PARAMETER_BLOCK },
        { "pause without a record", kept, MCI_PAUSE, 0, MCIERR_NULL_PARAMETER_BLOCK },
        { "resume without a record", kept, MCI_RESUME, 0, MCIERR_NULL_PARAMETER_BLOCK },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, port.SendCommand(c.id, c.msg, MCI_WAIT, c.params)) << c.what;
}
}
