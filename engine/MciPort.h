#pragma once
// The one narrow way CWaveDevice reaches a waveaudio device. The program puts our own engine
// behind it (app/); tests put a scripted port in its place and see every command sent.
#include <windows.h>
#include <mmsystem.h>

class IMciPort {
public:
    virtual ~IMciPort() {}
    // Same contract as mciSendCommandA: params points at the command's MCI_*_PARMS record.
    virtual MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params) = 0;
    // Same contract as mciGetErrorStringA.
    virtual BOOL GetErrorString(MCIERROR code, LPSTR text, UINT size) = 0;
};

// The port in use. Until SetMciPort puts one in place there is no device: every command
// fails as with no device installed.
IMciPort& GetMciPort();
// Puts a port in place and returns the previous one; null takes it away again.
IMciPort* SetMciPort(IMciPort* port);
