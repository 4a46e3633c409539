#pragma once
// Small glue between our PCM format and the waveIn/waveOut driver calls.
#include "WaveCodec.h"
#include <windows.h>
#include <mmsystem.h>
#include <memory>
#include <vector>

// The MCI error that tells the user why the driver refused an input or an output.
MCIERROR InputError(MMRESULT result);
MCIERROR OutputError(MMRESULT result);
WAVEFORMATEX ToWaveFormat(const wave::PcmFormat& format);
// Bytes in one driver buffer of about 1/perSecond s, in whole blocks.
DWORD BufferBytes(const wave::PcmFormat& format, unsigned perSecond);
// A running device that returns no buffer for this long has failed.
const DWORD kStallMs = 3000;

// The driver's event, shared by a device's owner and whoever closes the device.
using SharedEvent = std::shared_ptr<void>;
SharedEvent MakeSharedEvent();

// Resets a device, hands back its headers and closes it; returns when the driver is done.
void CloseInput(HWAVEIN device, std::vector<WAVEHDR>& headers);
void CloseOutput(HWAVEOUT device, std::vector<WAVEHDR>& headers);
// Closes a device that failed on a thread of its own. A frozen sound server can hold the
// driver's reset and close for as long as it stays frozen; the worker that found the failure
// must not wait for them, or the failure is told only when the server comes back, and the
// window hangs if it asks the device anything meanwhile. The thread owns the headers, the
// buffers they point into and the event the driver signals until the close returns.
void CloseFailedInput(HWAVEIN device, std::vector<WAVEHDR> headers,
                      std::vector<std::vector<char>> buffers, SharedEvent event);
void CloseFailedOutput(HWAVEOUT device, std::vector<WAVEHDR> headers,
                       std::vector<std::vector<char>> buffers, SharedEvent event);

// Opens the default input and waits (at most timeoutMs) until it delivers its first buffer.
// Under Wine the first capture stream of a process stays silent for a second or two while
// the sound system connects; doing this once, early, keeps that wait out of the user's take.
void PrimeInput(DWORD timeoutMs);
