#include "MciPort.h"
#include "CEngineMciPort.h"
#include "CWaveEngine.h"

namespace {
IMciPort* g_pCurrentPort = nullptr;

IMciPort& DefaultPort()
{
    // Our own waveaudio engine, so the recorder behaves the same on every system.
    static CEngineMciPort port(GetWaveEngine());
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
