#include "MciPort.h"
#include "CSystemMciPort.h"

namespace {
IMciPort* g_pCurrentPort = nullptr;

IMciPort& DefaultPort()
{
    static CSystemMciPort port;
    return port;
}
}

IMciPort& GetMciPort()
{
    return g_pCurrentPort ? *g_pCurrentPort : DefaultPort();
}

IMciPort* SetMciPort(IMciPort* port)
{
    IMciPort* previous = g_pCurrentPort;
    g_pCurrentPort = port;
    return previous;
}
