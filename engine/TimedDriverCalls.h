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
#include <mutex>
#include <thread>
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

// The thread a stream makes its driver calls on, one call at a time, each waited for at most
// its limit. A call that never answers keeps the thread, and the stream's later calls then fail
// at once as calls that were not answered: a sound system that hangs costs a stream one thread,
// never one per call, and no call ever runs without its limit. Only a close waits behind it.
class CDriverThread {
public:
    CDriverThread() = default;
    // Ends an idle thread; one still in a call is left to end when the call returns.
    ~CDriverThread();
    CDriverThread(const CDriverThread&) = delete;
    CDriverThread& operator=(const CDriverThread&) = delete;

    // Runs call on the thread and waits at most waitMs for its result (0: hands it over and
    // does not wait); kDriverNotAnswering if no result came, or the thread could not be had.
    // A lock the caller holds for the hand-over (so that nothing comes between the handle the
    // call was given and the call) is released once the call is handed over: no lock is held
    // while a driver call is waited for. It stays held when nothing was handed over.
    MMRESULT Call(std::function<MMRESULT()> call, DWORD waitMs, std::unique_lock<std::mutex>* handOver = nullptr);
    // A close: as Call, except behind a call that has not come back. The close is not refused
    // then but runs once that call returns, and is not waited for: the driver holds the headers
    // and buffers that the close owns until a close lets them go, so they must not be freed
    // before it runs.
    MMRESULT Close(std::function<MMRESULT()> close, DWORD waitMs);

private:
    MMRESULT Hand(std::function<MMRESULT()> call, DWORD waitMs, std::unique_lock<std::mutex>* handOver, bool isClose);

    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

// The driver calls in which an input and an output differ, made on the stream's driver thread:
// a device is a HWAVEIN or a HWAVEOUT as the direction has it.
class DriverCalls {
public:
    virtual ~DriverCalls() = default;
    // Opens the default device with CALLBACK_EVENT and waits at most kDriverLimitMs for the
    // driver to answer. A device the driver opens after the wait has ended is closed again on
    // the driver thread. A format other than plain PCM is followed by its cbSize extra bytes, as
    // in a WAVEFORMATEXTENSIBLE.
    virtual MMRESULT Open(CDriverThread& thread, HANDLE* device, const WAVEFORMATEX& format,
                          SharedEvent event) const = 0;
    // Resets the device, hands back its headers and closes it, and waits at most waitMs for
    // that (0 for a device that failed: it may never let go). The driver thread owns the
    // headers, the buffers they point into and the event the driver signals until the close
    // returns.
    virtual void Close(CDriverThread& thread, HANDLE device, std::vector<WAVEHDR> headers,
                       std::vector<std::vector<char>> buffers, SharedEvent event, DWORD waitMs) const = 0;
};
extern const DriverCalls& kInputCalls;
extern const DriverCalls& kOutputCalls;
// What the timed calls return when the driver did not answer in time.
const MMRESULT kDriverNotAnswering = 0x7FFF;
