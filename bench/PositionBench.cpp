// Position accuracy: the position the engine reports, polled every few milliseconds, against the
// device's sample clock (elapsed real time once sound flows), while a file plays or a take records.
//   PositionBench FILE.wav SECONDS [trace]   plays FILE
//   PositionBench record SECONDS [trace]     records 44.1 kHz stereo 16-bit from the default input
// Prints: polls, spread of (position - elapsed) in ms, max step in ms; with "trace", first every
// poll's elapsed ms and position.
#include "CEngineMciPort.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
double Now()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

DWORD Position(MCIDEVICEID id)
{
    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_STATUS_POSITION;
    GetMciPort().SendCommand(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    return static_cast<DWORD>(status.dwReturn);
}
}

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return 1;
    const bool trace = argc == 4;
    const double seconds = std::atof(argv[2]);
    CEngineMciPort engine;
    SetMciPort(&engine);
    HWND notices = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool record = std::strcmp(argv[1], "record") == 0;
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "waveaudio";
    open.lpstrElementName = record ? "" : argv[1];
    if (GetMciPort().SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)))
        return 2;
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    GetMciPort().SendCommand(open.wDeviceID, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(notices);
    MCI_RECORD_PARMS take = {};
    take.dwCallback = play.dwCallback;
    if (record) {
        MCI_WAVE_SET_PARMS format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = 44100;
        format.nAvgBytesPerSec = 176400;
        format.nBlockAlign = 4;
        format.wBitsPerSample = 16;
        GetMciPort().SendCommand(open.wDeviceID, MCI_SET, 0x003F0002, reinterpret_cast<DWORD_PTR>(&format));
    }
    const DWORD_PTR parms = record ? reinterpret_cast<DWORD_PTR>(&take) : reinterpret_cast<DWORD_PTR>(&play);
    if (GetMciPort().SendCommand(open.wDeviceID, record ? MCI_RECORD : MCI_PLAY, MCI_NOTIFY, parms))
        return 3;
    // Wait for the first movement: from then on the output's clock and ours run together.
    double start = Now();
    while (Position(open.wDeviceID) == 0 && Now() - start < 3000)
        Sleep(1);
    start = Now();
    const DWORD first = Position(open.wDeviceID);
    std::vector<double> offsets;
    DWORD previous = first, maxStep = 0;
    while (Now() - start < seconds * 1000) {
        Sleep(5);
        const double elapsed = Now() - start;
        const DWORD p = Position(open.wDeviceID);
        offsets.push_back(static_cast<double>(p - first) - elapsed);
        if (trace)
            std::printf("%.1f %lu\n", elapsed, static_cast<unsigned long>(p - first));
        maxStep = std::max(maxStep, p - previous);
        previous = p;
    }
    GetMciPort().SendCommand(open.wDeviceID, MCI_CLOSE, 0, 0);
    std::sort(offsets.begin(), offsets.end());
    const double median = offsets[offsets.size() / 2];
    const double worst = std::max(median - offsets.front(), offsets.back() - median);
    std::printf("%zu %.1f %lu\n", offsets.size(), worst, static_cast<unsigned long>(maxStep));
    return 0;
}
