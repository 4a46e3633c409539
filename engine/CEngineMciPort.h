#pragma once
#include "MciPort.h"

class CWaveEngine;

// The port backed by our own waveaudio engine. Error texts are the platform's, so users
// read the familiar wording for the standard MCI error codes.
class CEngineMciPort : public IMciPort {
public:
    explicit CEngineMciPort(CWaveEngine& engine) : m_engine(engine) {}
    MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params) override;
    BOOL GetErrorString(MCIERROR code, LPSTR text, UINT size) override;

private:
    CWaveEngine& m_engine;
};
