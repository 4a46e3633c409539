#pragma once
// Small glue between our PCM format and the waveIn/waveOut driver calls.
#include "WaveCodec.h"
#include <windows.h>
#include <mmsystem.h>
#include <functional>
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

// Resets a device, hands back its headers and closes it on a thread of its own, and waits at
// most waitMs for that. A frozen sound server can hold the driver's reset and close for as
// long as it stays frozen; neither the worker nor the window may wait that long, or a failure
// is told only when the server comes back and the window hangs meanwhile. The thread owns the
// headers, the buffers they point into and the event the driver signals until the close
// returns.
void CloseInput(HWAVEIN device, std::vector<WAVEHDR> headers, std::vector<std::vector<char>> buffers,
                SharedEvent event, DWORD waitMs);
void CloseOutput(HWAVEOUT device, std::vector<WAVEHDR> headers, std::vector<std::vector<char>> buffers,
                 SharedEvent event, DWORD waitMs);
// How long a stop waits for the driver to let go of a device that has not failed.
const DWORD kCloseWaitMs = kStallMs;

// Opens the default input or output with CALLBACK_EVENT on a thread of its own and waits at
// most waitMs for the driver to answer, for the same reason as the closes above. A device the
// driver opens after the wait has ended is closed again by that thread.
MMRESULT OpenInput(HWAVEIN* device, const WAVEFORMATEX& format, SharedEvent event, DWORD waitMs);
MMRESULT OpenOutput(HWAVEOUT* device, const WAVEFORMATEX& format, SharedEvent event, DWORD waitMs);
// What the opens return when the driver did not answer in time.
const MMRESULT kDriverNotAnswering = 0x7FFF;
// How long Record or Play waits for the driver to open a device.
const DWORD kOpenWaitMs = kStallMs;

// Makes one driver call (a pause, a restart) on a thread of its own and waits at most waitMs
// for its answer, for the same reason as the closes above; kDriverNotAnswering if none came.
MMRESULT CallWithin(std::function<MMRESULT()> call, DWORD waitMs);

// Opens the default input and waits (at most timeoutMs) until it delivers its first buffer.
// Under Wine the first capture stream of a process stays silent for a second or two while
// the sound system connects; doing this once, early, keeps that wait out of the user's take.
void PrimeInput(DWORD timeoutMs);
