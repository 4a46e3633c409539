#pragma once
#include "MciPort.h"

// The platform's own MCI (winmm), behind the same port as our engine.
class CSystemMciPort : public IMciPort {
public:
    MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params) override;
    BOOL GetErrorString(MCIERROR code, LPSTR text, UINT size) override;
    int ShowMessage(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
};
