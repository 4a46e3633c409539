#include "CEngineMciPort.h"
#include "CWaveEngine.h"

MCIERROR CEngineMciPort::SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params)
{
    return GetWaveEngine().SendCommand(id, msg, flags, params);
}

BOOL CEngineMciPort::GetErrorString(MCIERROR code, LPSTR text, UINT size)
{
    return mciGetErrorStringA(code, text, size);
}

BOOL CEngineMciPort::SetYieldProc(MCIDEVICEID id, MciYield yield)
{
    return GetWaveEngine().SetYieldProc(id, std::move(yield));
}
