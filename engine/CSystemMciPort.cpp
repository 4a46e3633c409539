#include "CSystemMciPort.h"

MCIERROR CSystemMciPort::SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params)
{
    return mciSendCommandA(id, msg, flags, params);
}

BOOL CSystemMciPort::GetErrorString(MCIERROR code, LPSTR text, UINT size)
{
    return mciGetErrorStringA(code, text, size);
}

int CSystemMciPort::ShowMessage(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}
