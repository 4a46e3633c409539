#pragma once
// Small glue between our PCM format and the waveIn/waveOut driver calls.
#include "WaveCodec.h"
#include <windows.h>
#include <mmsystem.h>

// The MCI error that tells the user why the driver refused an input or an output.
MCIERROR InputError(MMRESULT result);
MCIERROR OutputError(MMRESULT result);
WAVEFORMATEX ToWaveFormat(const wave::PcmFormat& format);
// Bytes in one driver buffer of about 1/perSecond s, in whole blocks.
DWORD BufferBytes(const wave::PcmFormat& format, unsigned perSecond);
// A running device that returns no buffer for this long has failed.
const DWORD kStallMs = 3000;

// Opens the default input and waits (at most timeoutMs) until it delivers its first buffer.
// Under Wine the first capture stream of a process stays silent for a second or two while
// the sound system connects; doing this once, early, keeps that wait out of the user's take.
void PrimeInput(DWORD timeoutMs);
