// Drives and measures Vorsel.exe (or a baseline program) from outside, for the benchmarks.
//   VorselProbe startup RUNS EXE CAPTION [EXE CAPTION]...
//                                             median ms from launch to a visible window of each
//                                             program, launched in turn
//   VorselProbe command ID                    sends a command to the running Vorsel window
//   VorselProbe post ID                       posts it (for commands that open a modal box)
//   VorselProbe settext TEXT                  puts TEXT into Vorsel's file name field
//   VorselProbe save [answers]                saves, waits for the box, prints ms, the window's
//                                             worst answer meanwhile (ms; asked only with
//                                             'answers': the asking costs a window that answers
//                                             time the save's figure should not carry) and the
//                                             box's text
//   VorselProbe memory                        private bytes of the running Vorsel, in KiB
//   VorselProbe position                      the position text
//   VorselProbe length                        the length text
//   VorselProbe range                         the slider's range: the sound's length in 100 ms
//   VorselProbe box MS [BUTTON]               waits up to MS for a box of Vorsel, prints its text
//                                             (or, for the About box, its caption) and
//                                             dismisses it with BUTTON (default IDOK; a question
//                                             takes IDYES 6 or IDNO 7)
//   VorselProbe open PATH                     chooses PATH through "...", waits until the window
//                                             answers with it shown, and prints the ms from the
//                                             Enter in the chooser to that answer
//   VorselProbe atonce EXE PATH DELAY TAKE    launches EXE, posts Record DELAY ms after its window
//                                             shows and Stop TAKE ms later, saves the take to PATH;
//                                             prints the window's worst answer time (a WM_NULL
//                                             round trip, every 5 ms from the first paint to the
//                                             Stop), the take's length, press-to-Stop, and the
//                                             answer time right after the Stop, in ms
//   VorselProbe bare record|play SECONDS      the least a program can do to record or play 44.1 kHz
//                                             stereo through waveIn/waveOut (25 ms buffers): the
//                                             floor under Vorsel's CPU figures on this Wine
//   VorselProbe meter                         the level meter's bar positions, left and right,
//                                             whether it shows (1/0), and its words
//   VorselProbe lag ROUNDS                    while Vorsel records the session's silence: plays a
//                                             tone into the output ROUNDS times and prints the
//                                             medians of the ms from each start to Vorsel's meter
//                                             showing it, to a bare waveIn loop in this process
//                                             seeing it, and of the difference
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <psapi.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {
const int IDC_FILENAME = 1005;
const int IDC_POSITION = 1017;
const UINT ID_SAVE = 32771;
const int IDC_BROWSE = 1004;
const int IDC_LENGTH = 1018;
const int IDC_SLIDER = 1025;
const UINT ID_EXIT = 32772;
const UINT ID_RECORD = 32774;
const UINT ID_STOP = 32775;
const int IDC_STATUSBAR = 10350;
const int IDC_LEVEL_LEFT = 10351;
const int IDC_LEVEL_RIGHT = 10352;
const int IDC_LEVEL_WORDS = 10353;

double Now()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Find { DWORD pid; const char* caption; HWND found; };

BOOL CALLBACK FindVisible(HWND hWnd, LPARAM lParam)
{
    Find* f = reinterpret_cast<Find*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char text[256] = "";
    GetWindowTextA(hWnd, text, sizeof text);
    // A question of the program bears its caption too, but only the main window has no owner.
    if ((f->pid == 0 || pid == f->pid) && IsWindowVisible(hWnd) &&
        (!f->caption || (!strcmp(text, f->caption) && !GetWindow(hWnd, GW_OWNER)))) {
        f->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND WindowOf(DWORD pid, const char* caption)
{
    Find f = { pid, caption, nullptr };
    EnumWindows(&FindVisible, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND Vorsel()
{
    HWND h = WindowOf(0, "Vorsel");
    if (!h) {
        std::fprintf(stderr, "no Vorsel window\n");
        std::exit(2);
    }
    return h;
}

// Milliseconds from launching exe to a visible window with the caption; negative on failure.
double LaunchToWindow(const char* exe, const char* caption)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string commandLine = std::string("\"") + exe + "\"";
    const double start = Now();
    if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    HWND h = nullptr;
    while (!h && Now() - start < 30000) {
        h = WindowOf(pi.dwProcessId, caption);
        if (!h)
            Sleep(1);
    }
    const double ms = Now() - start;
    if (h)
        PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    Sleep(200);
    return h ? ms : -1;
}

HWND MeterPart(HWND vorsel, int id)
{
    return GetDlgItem(GetDlgItem(vorsel, IDC_STATUSBAR), id);
}

int MeterBar(HWND bar)
{
    return static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
}

// Keeps 16 buffers of 25 ms queued on a waveIn or waveOut device for the given time, or until
// *stop; a recording hands each buffer it gets back to 'seen'.
int Bare(bool record, double seconds, const std::atomic<bool>* stop = nullptr,
         void (*seen)(const WAVEHDR&) = nullptr)
{
    WAVEFORMATEX wfx = { WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0 };
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEIN in = nullptr;
    HWAVEOUT out = nullptr;
    const MMRESULT opened = record
        ? waveInOpen(&in, WAVE_MAPPER, &wfx, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT)
        : waveOutOpen(&out, WAVE_MAPPER, &wfx, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR)
        return 2;
    const DWORD bytes = 44100 * 4 / 40;
    std::vector<std::vector<char>> buffers(16, std::vector<char>(bytes));
    std::vector<WAVEHDR> headers(16, WAVEHDR{});
    auto queue = [&](WAVEHDR& h) {
        h.dwFlags &= ~WHDR_DONE;
        if (record)
            waveInAddBuffer(in, &h, sizeof h);
        else
            waveOutWrite(out, &h, sizeof h);
    };
    for (size_t i = 0; i < headers.size(); ++i) {
        headers[i].lpData = buffers[i].data();
        headers[i].dwBufferLength = bytes;
        if (record)
            waveInPrepareHeader(in, &headers[i], sizeof headers[i]);
        else
            waveOutPrepareHeader(out, &headers[i], sizeof headers[i]);
        queue(headers[i]);
    }
    if (record)
        waveInStart(in);
    const double end = Now() + seconds * 1000;
    while (Now() < end && !(stop && *stop)) {
        WaitForSingleObject(event, 100);
        for (WAVEHDR& h : headers)
            if (h.dwFlags & WHDR_DONE) {
                if (seen)
                    seen(h);
                queue(h);
            }
    }
    if (record) {
        waveInReset(in);
        for (WAVEHDR& h : headers)
            waveInUnprepareHeader(in, &h, sizeof h);
        waveInClose(in);
    } else {
        waveOutReset(out);
        for (WAVEHDR& h : headers)
            waveOutUnprepareHeader(out, &h, sizeof h);
        waveOutClose(out);
    }
    CloseHandle(event);
    return 0;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// What the bare loop of MeterLag last heard: when a sample at or above -60 dBFS last came
// (the meter's own floor), and when the first one came after the last reset.
std::atomic<double> g_lastLoud{0};
std::atomic<double> g_firstLoud{0};

void WatchForSound(const WAVEHDR& header)
{
    const auto* samples = reinterpret_cast<const short*>(header.lpData);
    for (DWORD i = 0; i < header.dwBytesRecorded / 2; ++i)
        if (std::abs(samples[i]) >= 33) {
            const double now = Now();
            g_lastLoud = now;
            double none = 0;
            g_firstLoud.compare_exchange_strong(none, now);
            return;
        }
}

// The session plays exact silence into the sink; each round a tone starts at the output,
// reaches Vorsel's take and this process's bare loop through the same sink, and is stopped
// once both have shown it.
int MeterLag(int rounds)
{
    const HWND left = MeterPart(Vorsel(), IDC_LEVEL_LEFT);
    if (!IsWindowVisible(left)) {
        std::fprintf(stderr, "the meter does not show: is Vorsel recording?\n");
        return 2;
    }
    std::atomic<bool> stop{false};
    std::thread bare([&] { Bare(true, 3600, &stop, &WatchForSound); });
    WAVEFORMATEX wfx = { WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0 };
    HWAVEOUT out = nullptr;
    if (waveOutOpen(&out, WAVE_MAPPER, &wfx, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        stop = true;
        bare.join();
        return 2;
    }
    std::vector<short> tone(44100 * 2 * 2);   // 2 s of 440 Hz at -12 dBFS
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<short>(8225 * std::sin(2 * 3.14159265358979 * 440 * (i / 2) / 44100.0));
    WAVEHDR header = {};
    header.lpData = reinterpret_cast<LPSTR>(tone.data());
    header.dwBufferLength = static_cast<DWORD>(tone.size() * sizeof(short));
    waveOutPrepareHeader(out, &header, sizeof header);
    std::vector<double> meter, floor, difference;
    for (int r = 0; r < rounds; ++r) {
        // Silence again at both ends, for a while.
        const double waitFrom = Now();
        while ((MeterBar(left) != 0 || Now() - g_lastLoud < 500) && Now() - waitFrom < 10000)
            Sleep(10);
        g_firstLoud = 0;
        const double start = Now();
        waveOutWrite(out, &header, sizeof header);
        double shown = 0;
        while (!shown && Now() - start < 5000) {
            if (MeterBar(left) > 0)
                shown = Now();
            else
                Sleep(1);
        }
        while (g_firstLoud == 0 && Now() - start < 5000)
            Sleep(1);
        waveOutReset(out);
        if (!shown || g_firstLoud == 0)
            break;
        meter.push_back(shown - start);
        floor.push_back(g_firstLoud - start);
        difference.push_back(shown - g_firstLoud);
    }
    waveOutUnprepareHeader(out, &header, sizeof header);
    waveOutClose(out);
    stop = true;
    bare.join();
    if (meter.size() != static_cast<size_t>(rounds))
        return 3;   // a step that one of them never showed
    std::printf("%.1f %.1f %.1f\n", Median(meter), Median(floor), Median(difference));
    return 0;
}

// Launches the programs in turn, RUNS rounds, so that a change in the machine's load hits all.
int Startup(int runs, char** programs, int count)
{
    std::vector<std::vector<double>> times(count);
    for (int i = 0; i < runs; ++i)
        for (int p = 0; p < count; ++p) {
            times[p].push_back(LaunchToWindow(programs[2 * p], programs[2 * p + 1]));
            if (times[p].back() < 0)
                return 2;
        }
    for (int p = 0; p < count; ++p)
        std::printf(p + 1 < count ? "%.1f " : "%.1f\n", Median(times[p]));
    return 0;
}

// Waits for a message box of the process, prints its text and dismisses it with the button.
// With 'answering' given, the window's worst answer time (a WM_NULL round trip) while it waits.
bool DismissBox(DWORD pid, std::string& text, DWORD ms, WPARAM button = IDOK, HWND answering = nullptr,
                double* worst = nullptr)
{
    const double start = Now();
    while (Now() - start < ms) {
        if (answering && worst) {
            const double asked = Now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(answering, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
            *worst = std::max(*worst, Now() - asked);
        }
        HWND box = nullptr;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            char caption[256] = "";
            GetWindowTextA(w, caption, sizeof caption);
            if (owner == pid && IsWindowVisible(w) && (strcmp(caption, "Vorsel") != 0 || GetWindow(w, GW_OWNER))) {
                box = w;
                break;
            }
        }
        if (box) {
            char buffer[1024] = "";
            // A message box's text; a box whose first such item is an icon gives its caption.
            HWND item = GetDlgItem(box, 0xFFFF);
            if (item && (GetWindowLongA(item, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
                GetWindowTextA(item, buffer, sizeof buffer);
            else
                GetWindowTextA(box, buffer, sizeof buffer);
            text = buffer;
            PostMessageA(box, WM_COMMAND, button, 0);
            return true;
        }
        Sleep(1);
    }
    return false;
}
}

// Launch, Record soon after the window shows, Stop later, save: how the window answered
// meanwhile and how much of the pressed-for time the take holds.
int RecordAtOnce(const char* exe, const char* path, double delay, double take)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string commandLine = std::string("\"") + exe + "\"";
    if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 2;
    HWND h = nullptr;
    for (const double start = Now(); !h && Now() - start < 30000; Sleep(1))
        h = WindowOf(pi.dwProcessId, "Vorsel");
    if (!h)
        return 2;
    const double shown = Now();
    auto roundTrip = [h] {
        DWORD_PTR answer = 0;
        const double sent = Now();
        SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
        return Now() - sent;
    };
    double worst = 0, pressed = 0;
    for (double now = Now(); !pressed || now - pressed < take; now = Now()) {
        if (!pressed && now - shown >= delay) {
            PostMessageA(h, WM_COMMAND, ID_RECORD, 0);
            pressed = Now();
        }
        worst = std::max(worst, roundTrip());
        Sleep(5);
    }
    PostMessageA(h, WM_COMMAND, ID_STOP, 0);
    const double stopped = Now();
    const double stopAnswer = roundTrip();
    Sleep(300);
    SendMessageA(GetDlgItem(h, IDC_FILENAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    PostMessageA(h, WM_COMMAND, ID_SAVE, 0);
    std::string text;
    const bool saved = DismissBox(pi.dwProcessId, text, 20000);
    Sleep(2500);   // a box takes a while to go under Wine
    PostMessageA(h, WM_COMMAND, ID_EXIT, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (!saved)
        return 3;
    // The take's length from its canonical header: data bytes over bytes per second.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    unsigned char header[44] = {};
    DWORD got = 0;
    const bool read = file != INVALID_HANDLE_VALUE && ReadFile(file, header, sizeof header, &got, nullptr) && got == 44;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!read)
        return 3;
    auto le32 = [&](int at) { return header[at] | header[at + 1] << 8 | header[at + 2] << 16 | static_cast<unsigned>(header[at + 3]) << 24; };
    const double length = 1000.0 * le32(40) / le32(28);
    std::printf("%.1f %.1f %.1f %.1f\n", worst, length, stopped - pressed, stopAnswer);
    return 0;
}

int main(int argc, char** argv)
{
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "startup" && argc >= 5 && argc % 2 == 1)
        return Startup(std::atoi(argv[2]), argv + 3, (argc - 3) / 2);
    if (verb == "atonce" && argc == 6)
        return RecordAtOnce(argv[2], argv[3], std::atof(argv[4]), std::atof(argv[5]));
    if (verb == "lag" && argc == 3)
        return MeterLag(std::atoi(argv[2]));
    if (verb == "meter") {
        HWND h = Vorsel();
        const HWND left = MeterPart(h, IDC_LEVEL_LEFT), right = MeterPart(h, IDC_LEVEL_RIGHT);
        char words[128] = "";
        if (const HWND text = MeterPart(h, IDC_LEVEL_WORDS))   // a program without a meter has none
            GetWindowTextA(text, words, sizeof words);
        std::printf("%d %d %d %s\n", MeterBar(left), MeterBar(right), IsWindowVisible(left) ? 1 : 0, words);
        return 0;
    }
    if (verb == "bare" && argc == 4)
        return Bare(std::string(argv[2]) == "record", std::atof(argv[3]));
    if (verb == "command" && argc == 3) {
        SendMessageA(Vorsel(), WM_COMMAND, std::strtoul(argv[2], nullptr, 0), 0);
        return 0;
    }
    if (verb == "post" && argc == 3) {
        PostMessageA(Vorsel(), WM_COMMAND, std::strtoul(argv[2], nullptr, 0), 0);
        return 0;
    }
    if (verb == "settext" && argc == 3) {
        SendMessageA(GetDlgItem(Vorsel(), IDC_FILENAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        return 0;
    }
    if (verb == "save") {
        HWND h = Vorsel();
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        const double start = Now();
        PostMessageA(h, WM_COMMAND, ID_SAVE, 0);
        std::string text;
        double worst = 0;
        const bool answers = argc == 3 && std::string(argv[2]) == "answers";
        if (!DismissBox(pid, text, 600000, IDOK, answers ? h : nullptr, &worst))
            return 2;
        std::printf("%.1f %.1f %s\n", Now() - start, worst, text.c_str());
        return 0;
    }
    if (verb == "memory") {
        DWORD pid = 0;
        GetWindowThreadProcessId(Vorsel(), &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof counters;
        if (!process || !GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
            return 2;
        std::printf("%lu\n", static_cast<unsigned long>(counters.PrivateUsage / 1024));
        return 0;
    }
    if (verb == "open" && argc == 3) {
        HWND h = Vorsel();
        DWORD pid = 0;
        const DWORD thread = GetWindowThreadProcessId(h, &pid);
        PostMessageA(h, WM_COMMAND, IDC_BROWSE, 0);
        // The chooser opens with the focus in its name box.
        HWND name = nullptr;
        for (int i = 0; i < 200 && !name; ++i) {
            Sleep(50);
            GUITHREADINFO gui = {};
            gui.cbSize = sizeof gui;
            if (GetGUIThreadInfo(thread, &gui) && gui.hwndFocus && GetAncestor(gui.hwndFocus, GA_ROOT) != h)
                name = gui.hwndFocus;
        }
        if (!name)
            return 2;
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        const double start = Now();
        PostMessageA(name, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        // The name shows as the chooser returns, before the file is opened; the window answers
        // again once the open is done.
        char shown[MAX_PATH] = "";
        while (strcmp(shown, argv[2]) != 0) {
            if (Now() - start > 600000)
                return 3;
            Sleep(1);
            GetDlgItemTextA(h, IDC_FILENAME, shown, sizeof shown);
        }
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &answer))
            return 3;
        std::printf("%.1f\n", Now() - start);
        return 0;
    }
    if (verb == "position" || verb == "length") {
        char text[64] = "";
        GetDlgItemTextA(Vorsel(), verb == "position" ? IDC_POSITION : IDC_LENGTH, text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    if (verb == "range") {
        std::printf("%ld\n", static_cast<long>(SendDlgItemMessageA(Vorsel(), IDC_SLIDER, TBM_GETRANGEMAX, 0, 0)));
        return 0;
    }
    if (verb == "box" && (argc == 3 || argc == 4)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(Vorsel(), &pid);
        std::string text;
        const WPARAM button = argc == 4 ? std::strtoul(argv[3], nullptr, 0) : IDOK;
        if (!pid || !DismissBox(pid, text, std::strtoul(argv[2], nullptr, 0), button))
            return 2;
        std::printf("%s\n", text.c_str());
        return 0;
    }
    std::fprintf(stderr, "usage: see the top of VorselProbe.cpp\n");
    return 1;
}
