#include "EngineTestSupport.h"
#include "DialogRunner.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {
const char kNoticeClass[] = "VorselEngineTestNotices";
const double kPi = 3.14159265358979323846;

uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) { return uint32_t(p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24)); }
void Put16(std::vector<char>& b, uint16_t v) { b.push_back(char(v)); b.push_back(char(v >> 8)); }
void Put32(std::vector<char>& b, uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(char(v >> (8 * i))); }
}

CEngineNoticeWindow::CEngineNoticeWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kNoticeClass;
    RegisterClassA(&wc);   // fails harmlessly when already registered
    m_hWnd = CreateWindowExA(0, kNoticeClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CEngineNoticeWindow::~CEngineNoticeWindow()
{
    DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CEngineNoticeWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == MM_MCINOTIFY) {
        auto* self = reinterpret_cast<CEngineNoticeWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self)
            self->notices.push_back({wp, lp});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool CEngineNoticeWindow::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    return ::PumpUntil(done, timeoutMs);
}

WPARAM CEngineNoticeWindow::WaitForNotice(DWORD timeoutMs)
{
    const size_t before = notices.size();
    if (!PumpUntil([&] { return notices.size() > before; }, timeoutMs))
        return 0;
    return notices[before].code;
}

void CEngineNoticeWindow::Pump(DWORD ms)
{
    PumpMessages(ms);
}

namespace {

std::string TempPath(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char unique[64];
    wsprintfA(unique, "%s-%lu.tmp", name, GetCurrentProcessId());
    return std::string(temp) + unique;
}

} // namespace

std::string TestProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path);
    return program.substr(0, program.find_last_of('\\') + 1);
}

bool UnixPath(const std::string& windowsPath, std::string& unixPath)
{
    typedef char* (CDECL * ToUnix)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    WCHAR wide[MAX_PATH];
    if (!toUnix || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH))
        return false;
    char* path = toUnix(wide);
    if (!path)
        return false;
    unixPath = path;
    HeapFree(GetProcessHeap(), 0, path);
    return true;
}

bool StartUnix(const std::string& shellCommand)
{
    std::string line = "Z:\\bin\\sh -c \"" + shellCommand + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // Wine starts a Unix program as no Windows process: what it leaves in pi is not handles
    // but stale values from its stack. Closing them once closed the job that ends our
    // children, and with it the Vorsel under test.
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

int RunUnix(const std::string& shellCommand, DWORD ms)
{
    // The shell is no Windows process to wait on: its status comes back through a file.
    const std::string status = TempPath("vorsel-unix-status");
    std::string unixStatus;
    DeleteFileA(status.c_str());
    if (!UnixPath(status, unixStatus) || !StartUnix(shellCommand + "; echo $? > '" + unixStatus + "'"))
        return -1;
    for (DWORD waited = 0; waited < ms; waited += 100) {
        const std::vector<char> text = EngineReadFile(status);
        if (!text.empty() && text.back() == '\n') {
            DeleteFileA(status.c_str());
            return atoi(std::string(text.begin(), text.end()).c_str());
        }
        Sleep(100);
    }
    return -1;
}

CEngineTone::CEngineTone(double hz, double seconds, double left, double right)
    : m_hz(hz), m_seconds(seconds), m_left(left), m_right(right)
{
}

CEngineTone::~CEngineTone()
{
    Stop();
}

bool CEngineTone::Start()
{
    return StartNative() || StartWaveOut();
}

bool CEngineTone::StartNative()
{
    const std::string tone = TempPath("vorsel-tone"), pid = TempPath("vorsel-tone-pid");
    std::string unixTone, unixPid;
    if (!UnixPath(tone, unixTone) || !UnixPath(pid, unixPid) ||
        !EngineWriteToneFile(tone, m_hz, m_seconds, 2, 44100, 16, EngineSamples::Pcm, { m_left, m_right }))
        return false;
    m_toneFile = tone;
    m_pidFile = pid;
    DeleteFileA(pid.c_str());
    // A fifth of a second queued in the server: a player that loses the processor for a moment
    // must not leave holes of silence in the source that a take would then be blamed for.
    return StartUnix("echo $$ > '" + unixPid + "'; exec nice -n -15 /usr/bin/paplay --latency-msec=200 '" + unixTone + "'");
}

bool CEngineTone::StartWaveOut()
{
    const size_t frames = size_t(m_seconds * 44100);
    m_samples.resize(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double s = std::sin(2 * kPi * m_hz * i / 44100.0);
        m_samples[2 * i] = int16_t(32767 * m_left * s);
        m_samples[2 * i + 1] = int16_t(32767 * m_right * s);
    }
    WAVEFORMATEX wfx = {WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    if (waveOutOpen(&m_hOut, WAVE_MAPPER, &wfx, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        m_hOut = nullptr;
        return false;
    }
    m_header.lpData = reinterpret_cast<LPSTR>(m_samples.data());
    m_header.dwBufferLength = DWORD(m_samples.size() * sizeof(int16_t));
    return waveOutPrepareHeader(m_hOut, &m_header, sizeof m_header) == MMSYSERR_NOERROR &&
           waveOutWrite(m_hOut, &m_header, sizeof m_header) == MMSYSERR_NOERROR;
}

void CEngineTone::Stop()
{
    if (!m_pidFile.empty()) {
        // The player is ended by the process id it wrote, never by name.
        std::vector<char> pid;
        for (int i = 0; i < 50 && pid.empty(); ++i, Sleep(20))
            pid = EngineReadFile(m_pidFile);
        const unsigned long id = strtoul(std::string(pid.begin(), pid.end()).c_str(), nullptr, 10);
        if (id > 1)
            StartUnix("kill " + std::to_string(id));
        Sleep(100);
        DeleteFileA(m_pidFile.c_str());
        DeleteFileA(m_toneFile.c_str());
        m_pidFile.clear();
    }
    if (!m_hOut)
        return;
    waveOutReset(m_hOut);
    waveOutUnprepareHeader(m_hOut, &m_header, sizeof m_header);
    waveOutClose(m_hOut);
    m_hOut = nullptr;
}

bool EngineReadCanonicalWave(const std::string& path, EngineWave& wave, std::string& why)
{
    const std::vector<char> raw = EngineReadFile(path);
    const auto* p = reinterpret_cast<const unsigned char*>(raw.data());
    if (raw.size() < 44) { why = "shorter than a header"; return false; }
    const uint32_t dataBytes = Le32(p + 40);
    if (std::memcmp(p, "RIFF", 4) || std::memcmp(p + 8, "WAVEfmt ", 8) || std::memcmp(p + 36, "data", 4)) {
        why = "not a canonical header"; return false;
    }
    if (Le32(p + 16) != 16 || Le16(p + 20) != 1) { why = "fmt size or tag"; return false; }
    wave.channels = Le16(p + 22);
    wave.rate = Le32(p + 24);
    wave.avgBytes = Le32(p + 28);
    wave.blockAlign = Le16(p + 32);
    wave.bits = Le16(p + 34);
    if (wave.blockAlign != wave.channels * wave.bits / 8 || wave.avgBytes != wave.rate * wave.blockAlign) {
        why = "inconsistent fmt"; return false;
    }
    if (dataBytes % wave.blockAlign || raw.size() != 44 + dataBytes + (dataBytes & 1)) {
        why = "data size does not match the file"; return false;
    }
    if (Le32(p + 4) != 36 + dataBytes + (dataBytes & 1)) { why = "RIFF size"; return false; }
    const size_t frames = dataBytes / wave.blockAlign;
    wave.mono.resize(frames);
    for (size_t f = 0; f < frames; ++f) {
        double sum = 0;
        for (uint16_t c = 0; c < wave.channels; ++c) {
            const unsigned char* s = p + 44 + f * wave.blockAlign + c * (wave.bits / 8);
            sum += wave.bits == 8 ? (s[0] - 128) / 128.0 : int16_t(Le16(s)) / 32768.0;
        }
        wave.mono[f] = sum / wave.channels;
    }
    return true;
}

double EngineDominantHz(const std::vector<double>& samples, uint32_t rate, double lo, double hi)
{
    double bestHz = 0, bestPower = -1;
    const size_t n = std::min<size_t>(samples.size(), rate);   // one second is plenty
    const size_t start = samples.size() > n ? (samples.size() - n) / 2 : 0;
    for (double hz = lo; hz <= hi; hz += 1) {
        const double coeff = 2 * std::cos(2 * kPi * hz / rate);
        double s1 = 0, s2 = 0;
        for (size_t i = 0; i < n; ++i) {
            const double s0 = samples[start + i] + coeff * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
        if (power > bestPower) { bestPower = power; bestHz = hz; }
    }
    return bestHz;
}

double EngineLongestFlatRun(const std::vector<double>& samples, uint32_t rate)
{
    size_t longest = 0, run = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        run = samples[i] == samples[i - 1] ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return double(longest) / rate;
}

bool EngineWriteToneFile(const std::string& path, double hz, double seconds, uint16_t channels,
                         uint32_t rate, uint16_t bits, EngineSamples samples, const std::vector<double>& amplitudes)
{
    const bool isFloat = samples == EngineSamples::Float || samples == EngineSamples::ExtensibleFloat;
    const bool extensible = samples == EngineSamples::ExtensiblePcm || samples == EngineSamples::ExtensibleFloat;
    const uint16_t align = uint16_t(channels * bits / 8);
    const uint32_t frames = uint32_t(seconds * rate);
    const uint32_t dataBytes = frames * align;
    std::vector<char> fmt;
    Put16(fmt, extensible ? 0xFFFE : isFloat ? 3 : 1); Put16(fmt, channels); Put32(fmt, rate);
    Put32(fmt, rate * align); Put16(fmt, align); Put16(fmt, bits);
    if (extensible) {
        static const uint32_t speakers[] = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};
        Put16(fmt, 22); Put16(fmt, bits); Put32(fmt, channels < 9 ? speakers[channels] : 0);
        const char guid[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
        Put16(fmt, isFloat ? 3 : 1);
        fmt.insert(fmt.end(), guid, guid + 14);
    } else if (isFloat) {
        Put16(fmt, 0);
    }
    std::vector<char> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    Put32(b, uint32_t(fmt.size()));
    b.insert(b.end(), fmt.begin(), fmt.end());
    if (isFloat) {
        for (char c : std::string("fact")) b.push_back(c);
        Put32(b, 4); Put32(b, frames);
    }
    for (char c : std::string("data")) b.push_back(c);
    Put32(b, dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const double sine = std::sin(2 * kPi * hz * i / rate);
        for (uint16_t c = 0; c < channels; ++c) {
            const double v = sine * (amplitudes.empty() ? 0.4 : amplitudes[std::min<size_t>(c, amplitudes.size() - 1)]);
            if (isFloat && bits == 32) {
                const float f = float(v);
                uint32_t u;
                std::memcpy(&u, &f, 4);
                Put32(b, u);
            } else if (isFloat) {
                uint64_t u;
                std::memcpy(&u, &v, 8);
                Put32(b, uint32_t(u)); Put32(b, uint32_t(u >> 32));
            } else if (bits == 8) {
                b.push_back(char(128 + int(v * 127)));
            } else {   // signed, little-endian
                const int64_t s = int64_t(v * ((int64_t(1) << (bits - 1)) - 1));
                for (int k = 0; k < bits / 8; ++k) b.push_back(char(s >> (8 * k)));
            }
        }
    }
    if (dataBytes & 1) b.push_back(0);
    const uint32_t riff = uint32_t(b.size() - 8);
    std::memcpy(&b[4], &riff, 4);
    return EngineWriteFile(path, b.data(), b.size());
}

bool EngineInsertChunkBeforeSound(const std::string& path, uint32_t bodyBytes)
{
    std::vector<char> b = EngineReadFile(path);
    const size_t dataAt = b.size() >= 44 ? 12 + 8 + Le32(reinterpret_cast<unsigned char*>(&b[16])) : 0;
    if (dataAt < 36 || dataAt + 8 > b.size() || std::memcmp(&b[dataAt], "data", 4) != 0)
        return false;
    std::vector<char> chunk = {'L', 'I', 'S', 'T'};
    Put32(chunk, bodyBytes);
    chunk.resize(chunk.size() + bodyBytes + (bodyBytes & 1), 'x');
    b.insert(b.begin() + dataAt, chunk.begin(), chunk.end());
    const uint32_t riff = uint32_t(b.size() - 8);
    std::memcpy(&b[4], &riff, 4);
    return EngineWriteFile(path, b.data(), b.size());
}

CEngineScratchDir::CEngineScratchDir()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static LONG counter = 0;
    char name[MAX_PATH];
    wsprintfA(name, "%svorsel-engine-%lu-%ld", temp, GetCurrentProcessId(), InterlockedIncrement(&counter));
    m_path = name;
    CreateDirectoryA(m_path.c_str(), nullptr);
}

CEngineScratchDir::~CEngineScratchDir()
{
    for (const std::string& name : Files()) {
        const std::string path = Path(name);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(m_path.c_str());
}

std::vector<std::string> CEngineScratchDir::Files() const
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((m_path + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

std::vector<char> EngineReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

bool EngineWriteFile(const std::string& path, const void* data, size_t n)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(n));
    return bool(out);
}

namespace {
std::vector<std::string> TempFilesLike(const char* pattern)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(temp) + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(std::string(temp) + found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}
}

std::vector<std::string> EngineTakeFiles()
{
    return TempFilesLike("Vorsel take *.wav");
}

std::string EngineTakePath(const char* stamp)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "Vorsel take " + stamp + ".wav";
}

bool EngineWriteLeftTake(const std::string& path, double seconds, uint16_t channels, uint32_t rate, uint16_t bits,
                         uint32_t headerBytes)
{
    if (!EngineWriteToneFile(path, 440, seconds, channels, rate, bits))
        return false;
    std::vector<char> b = EngineReadFile(path);
    const uint32_t riff = 36 + headerBytes;
    std::memcpy(&b[4], &riff, 4);
    std::memcpy(&b[40], &headerBytes, 4);
    if (channels * bits / 8 > 1)
        b.push_back('\x11');
    return EngineWriteFile(path, b.data(), b.size());
}

bool EngineFileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

