#pragma once
// Helpers for the engine tests: a window that collects MCI notices, a tone source for the
// sound session's sink, WAVE file analysis, scratch folders and the shell outside Wine.
#include <windows.h>
#include <mmsystem.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CTempFile.h"

class CWaveEngine;

// A take on a slow disk: every flush takes this long first.
class CSlowTake : public CTempFile {
public:
    explicit CSlowTake(DWORD flushMs) : m_flushMs(flushMs) {}
    bool Flush() override
    {
        Sleep(m_flushMs);
        return CTempFile::Flush();
    }

private:
    DWORD m_flushMs;
};

// A message-only window that records every MM_MCINOTIFY it receives.
class CEngineNoticeWindow {
public:
    CEngineNoticeWindow();
    ~CEngineNoticeWindow();
    HWND Handle() const { return m_hWnd; }
    // Pumps messages until the predicate holds or the timeout passes; returns the predicate.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
    // Pumps until a notice arrives (or the timeout); returns its code, or 0 if none came.
    WPARAM WaitForNotice(DWORD timeoutMs);
    void Pump(DWORD ms);

    struct Notice { WPARAM code; LPARAM device; };
    std::vector<Notice> notices;

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd;
};

// Plays a continuous sine into the session's sink, so whatever records the sink's monitor
// hears it. Under Wine it runs paplay as a native process: a player inside the test's own
// process skips whenever that process stalls, and its gaps would be blamed on the recorder.
// It asks for low latency: the null sink runs at the lowest latency its inputs request, and
// its monitor delivers in blocks of that size, so a default (2 s) player would hold back
// the end of every take. It runs at a raised priority where allowed, so that it does not
// underrun on a busy machine. Elsewhere it falls back to waveOut.
class CEngineTone {
public:
    // A sine of the given amplitudes (full scale 1) in the left and right channels.
    CEngineTone(double hz, double seconds, double left = 0.4, double right = 0.4);
    ~CEngineTone();
    bool Start();
    void Stop();

private:
    bool StartNative();
    bool StartWaveOut();

    double m_hz;
    double m_seconds;
    double m_left, m_right;
    std::string m_toneFile;
    std::string m_pidFile;
    std::vector<int16_t> m_samples;
    HWAVEOUT m_hOut = nullptr;
    WAVEHDR m_header = {};
};

struct EngineWave {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    uint16_t blockAlign = 0;
    uint32_t avgBytes = 0;
    std::vector<double> mono;   // samples in -1..1, channels averaged
    double Seconds() const { return rate ? double(mono.size()) / rate : 0; }
};

// Reads a canonical 44-byte-header PCM file as the engine writes it; false if the header
// is not exactly that (checked field by field).
bool EngineReadCanonicalWave(const std::string& path, EngineWave& wave, std::string& why);
// Frequency in [lo, hi] Hz (1 Hz steps) with the most energy (Goertzel over the samples).
double EngineDominantHz(const std::vector<double>& samples, uint32_t rate, double lo, double hi);
// Longest run, in seconds, of samples that do not change at all (digital silence or a
// frozen value), between first and last non-silent stretch.
double EngineLongestFlatRun(const std::vector<double>& samples, uint32_t rate);
// How a tone file stores its samples: integer PCM (8 to 32 bits) or IEEE float (32 or 64),
// under its plain format tag or as WAVE_FORMAT_EXTENSIBLE.
enum class EngineSamples { Pcm, Float, ExtensiblePcm, ExtensibleFloat };
// Writes a WAVE file holding a sine, laid out as other programs write them: a 16-byte fmt for
// PCM; an 18-byte fmt and a fact chunk for float; a 40-byte fmt with the usual speakers and
// all bits valid for extensible, and a fact chunk for extensible float. Channel c has the
// amplitude amplitudes[c] (full scale 1; the last one given goes for the channels after it),
// 0.4 when none is given.
bool EngineWriteToneFile(const std::string& path, double hz, double seconds, uint16_t channels,
                         uint32_t rate, uint16_t bits, EngineSamples samples = EngineSamples::Pcm,
                         const std::vector<double>& amplitudes = {});

// Puts a "LIST" chunk with a body of the given size between the fmt and data chunks of a file
// EngineWriteToneFile wrote, as other programs do: its sound then begins further on.
bool EngineInsertChunkBeforeSound(const std::string& path, uint32_t bodyBytes);

// A fresh empty folder under the temp folder, removed with everything in it.
class CEngineScratchDir {
public:
    CEngineScratchDir();
    ~CEngineScratchDir();
    std::string Path(const std::string& name) const { return m_path + "\\" + name; }
    std::vector<std::string> Files() const;

private:
    std::string m_path;
};

std::vector<char> EngineReadFile(const std::string& path);
bool EngineWriteFile(const std::string& path, const void* data, size_t n);
// Paths of the takes in the temp folder.
std::vector<std::string> EngineTakeFiles();
// The path of a take that began at stamp ("2026-12-08 14-03-07") in the temp folder.
std::string EngineTakePath(const char* stamp);
// Writes a take of a 440 Hz tone as a Vorsel that died left it: its header still says it holds
// headerBytes of sound, and a part of a block follows the last whole one.
bool EngineWriteLeftTake(const std::string& path, double seconds, uint16_t channels, uint32_t rate, uint16_t bits,
                         uint32_t headerBytes);
bool EngineFileExists(const std::string& path);

// The folder of this test program, with its trailing backslash.
std::string TestProgramFolder();

// The Unix path of a Windows path, where Wine offers the conversion.
bool UnixPath(const std::string& windowsPath, std::string& unixPath);
// Starts a shell command outside Wine without waiting for it.
bool StartUnix(const std::string& shellCommand);
// Runs a shell command outside Wine: its exit status, or -1 when it did not end within ms.
int RunUnix(const std::string& shellCommand, DWORD ms);
