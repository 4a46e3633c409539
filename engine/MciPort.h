#pragma once
// The one narrow way CWaveDevice reaches a waveaudio device. The program puts our own engine
// behind it (app/); tests put a scripted port in its place and see every command sent.
#include <windows.h>
#include <mmsystem.h>
#include <functional>

// Called on the caller's thread, about every 50 ms and whenever a message arrives, while a
// command sent with MCI_WAIT takes long (a save that copies): how far it has come, in percent.
// The caller keeps its window alive here; FALSE asks the command to stop, and it then fails.
using MciYield = std::function<BOOL(DWORD percent)>;

class IMciPort {
public:
    virtual ~IMciPort() {}
    // Same contract as mciSendCommandA: params points at the command's MCI_*_PARMS record.
    virtual MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params) = 0;
    // Same contract as mciGetErrorStringA.
    virtual BOOL GetErrorString(MCIERROR code, LPSTR text, UINT size) = 0;
    // As mciSetYieldProc: the device's yield procedure from now on; an empty one removes it.
    virtual BOOL SetYieldProc(MCIDEVICEID id, MciYield yield) = 0;
};

// The port in use. Until SetMciPort puts one in place there is no device: every command
// fails as with no device installed.
IMciPort& GetMciPort();
// Puts a port in place and returns the previous one; null takes it away again.
IMciPort* SetMciPort(IMciPort* port);
