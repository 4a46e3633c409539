#include "MciPort.h"

namespace {
IMciPort* g_pCurrentPort = nullptr;

// Stands in while no port is in place, so that a command sent too early fails visibly
// instead of reaching some device nobody chose.
class NoDevicePort : public IMciPort {
public:
    MCIERROR SendCommand(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR) override { return MCIERR_DEVICE_NOT_INSTALLED; }
    BOOL GetErrorString(MCIERROR code, LPSTR text, UINT size) override { return mciGetErrorStringA(code, text, size); }
    BOOL SetYieldProc(MCIDEVICEID, MciYield) override { return FALSE; }
};
}

IMciPort& GetMciPort()
{
    static NoDevicePort none;
    return g_pCurrentPort ? *g_pCurrentPort : none;
}

IMciPort* SetMciPort(IMciPort* port)
{
    IMciPort* previous = g_pCurrentPort;
    g_pCurrentPort = port;
    return previous;
}
