#pragma once
// What a waveaudio device of ours refuses before it looks at what it holds, in MCI's own
// codes: the commands, flags and parameter records CWaveDevice sends, and nothing else. The
// engine keeps this contract, and so does the tests' scripted device, through this one function.
#include <windows.h>
#include <mmsystem.h>

// 0 if the command may go to the device; deviceOpen tells whether id names an open device.
// MCI_OPEN goes to no device (id 0).
MCIERROR CheckMciCommand(bool deviceOpen, MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params);

// MCI_OPEN of an element that is a take file an earlier Vorsel left: the device holds it as its
// own take, to delete when it is closed. A flag of our device's own, in the high word where
// device types keep theirs.
const DWORD kWaveOpenTake = 0x00020000;

// The wave-format flags of MCI_SET.
const DWORD kWaveSetFlags = MCI_WAVE_SET_FORMATTAG | MCI_WAVE_SET_CHANNELS | MCI_WAVE_SET_SAMPLESPERSEC |
                            MCI_WAVE_SET_AVGBYTESPERSEC | MCI_WAVE_SET_BLOCKALIGN | MCI_WAVE_SET_BITSPERSAMPLE;
