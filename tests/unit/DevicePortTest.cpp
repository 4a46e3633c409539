// The device port itself: with no port in place nothing is reached. (What the scripted port
// refuses, the engine refuses too: the contract's table in the engine tests runs against both.)
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
}
