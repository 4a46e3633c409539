#include "WaveDriver.h"

MCIERROR InputError(MMRESULT result)
{
    switch (result) {
    case MMSYSERR_NOERROR: return 0;
    case MMSYSERR_ALLOCATED: return MCIERR_WAVE_INPUTSINUSE;
    case MMSYSERR_NOMEM: return MCIERR_OUT_OF_MEMORY;
    // No device, no driver, or none that takes this format: "no wave device that can
    // record files in the current format" is the true message for each.
    default: return MCIERR_WAVE_INPUTSUNSUITABLE;
    }
}

MCIERROR OutputError(MMRESULT result)
{
    switch (result) {
    case MMSYSERR_NOERROR: return 0;
    case MMSYSERR_ALLOCATED: return MCIERR_WAVE_OUTPUTSINUSE;
    case MMSYSERR_NOMEM: return MCIERR_OUT_OF_MEMORY;
    default: return MCIERR_WAVE_OUTPUTSUNSUITABLE;
    }
}

WAVEFORMATEX ToWaveFormat(const wave::PcmFormat& format)
{
    WAVEFORMATEX wfx = {};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = format.channels;
    wfx.nSamplesPerSec = format.samplesPerSec;
    wfx.nAvgBytesPerSec = format.avgBytesPerSec;
    wfx.nBlockAlign = format.blockAlign;
    wfx.wBitsPerSample = format.bitsPerSample;
    return wfx;
}

DWORD BufferBytes(const wave::PcmFormat& format, unsigned perSecond)
{
    const DWORD bytes = format.avgBytesPerSec / perSecond;
    const DWORD whole = bytes - bytes % format.blockAlign;
    return whole ? whole : format.blockAlign;
}

void PrimeInput(DWORD timeoutMs)
{
    WAVEFORMATEX wfx = ToWaveFormat(wave::MakePcmFormat(1, 8000, 8));
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEIN input = nullptr;
    if (!event)
        return;
    if (waveInOpen(&input, WAVE_MAPPER, &wfx, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT) ==
        MMSYSERR_NOERROR) {
        char buffer[80];
        WAVEHDR header = {};
        header.lpData = buffer;
        header.dwBufferLength = sizeof buffer;
        if (waveInPrepareHeader(input, &header, sizeof header) == MMSYSERR_NOERROR &&
            waveInAddBuffer(input, &header, sizeof header) == MMSYSERR_NOERROR &&
            waveInStart(input) == MMSYSERR_NOERROR) {
            const DWORD start = GetTickCount();
            while (!(header.dwFlags & WHDR_DONE) && GetTickCount() - start < timeoutMs)
                WaitForSingleObject(event, 50);
        }
        waveInReset(input);
        waveInUnprepareHeader(input, &header, sizeof header);
        waveInClose(input);
    }
    CloseHandle(event);
}
