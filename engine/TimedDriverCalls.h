#pragma once
// The waveIn/waveOut driver calls the engine makes, each with a time limit: a sound server that
// does not answer can hold any of them for as long as it stays away, and neither a worker nor
// the window may wait that long. Also the conversions those calls need.
#include "WaveCodec.h"
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <functional>
#include <memory>
#include <vector>

// The MCI error that tells the user why the driver refused an input or an output.
MCIERROR InputError(MMRESULT result);
MCIERROR OutputError(MMRESULT result);
WAVEFORMATEX ToWaveFormat(const wave::PcmFormat& format);
// The format to open an output with for a sound of this format: a plain WAVEFORMATEX, or the
// extensible one where the system needs it (float, more than 16 bits or 2 channels); its
// Format member is what the output is given. False if the codec refuses the format.
bool ToDeviceFormat(const wave::WaveFormat& format, WAVEFORMATEXTENSIBLE& device);
// Bytes in one driver buffer of about 1/perSecond s, in whole blocks.
DWORD BufferBytes(const wave::PcmFormat& format, unsigned perSecond);
// How long any driver call is waited for, and how long a running device may return no
// buffer, before the driver counts as not answering.
const DWORD kDriverLimitMs = 3000;

// The driver's event, shared by a device's owner and whoever closes the device.
using SharedEvent = std::shared_ptr<void>;
SharedEvent MakeSharedEvent();

// The driver calls in which an input and an output differ, each made on a thread of its own
// with the time limit: a device is a HWAVEIN or a HWAVEOUT as the direction has it.
struct DriverCalls {
    // Opens the default device with CALLBACK_EVENT and waits at most kDriverLimitMs for the
    // driver to answer. A device the driver opens after the wait has ended is closed again by
    // that thread. A format other than plain PCM is followed by its cbSize extra bytes, as in a
    // WAVEFORMATEXTENSIBLE.
    MMRESULT (*open)(HANDLE* device, const WAVEFORMATEX& format, SharedEvent event);
    // Resets the device, hands back its headers and closes it, and waits at most waitMs for
    // that (0 for a device that failed: it may never let go). The closing thread owns the
    // headers, the buffers they point into and the event the driver signals until the close
    // returns.
    void (*close)(HANDLE device, std::vector<WAVEHDR> headers, std::vector<std::vector<char>> buffers,
                  SharedEvent event, DWORD waitMs);
};
extern const DriverCalls kInputCalls;
extern const DriverCalls kOutputCalls;
// What the timed calls return when the driver did not answer in time.
const MMRESULT kDriverNotAnswering = 0x7FFF;

// Makes one driver call (a pause, a restart) on a thread of its own and waits at most
// kDriverLimitMs for its answer; kDriverNotAnswering if none came.
MMRESULT CallWithin(std::function<MMRESULT()> call);
