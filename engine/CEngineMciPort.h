#pragma once
#include "MciPort.h"

// The port backed by the process's own waveaudio engine (GetWaveEngine). The engine is made
// by the first command sent, not with the port: it starts the sound system, which the
// program starts only once its window asks for a device. Error texts are the platform's, so
// users read the familiar wording for the standard MCI error codes.
class CEngineMciPort : public IMciPort {
public:
    MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params) override;
    BOOL GetErrorString(MCIERROR code, LPSTR text, UINT size) override;
    BOOL SetYieldProc(MCIDEVICEID id, MciYield yield) override;
};
