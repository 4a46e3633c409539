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
