#include "MciContract.h"

namespace {

// Flags a command understands; anything else is refused rather than ignored. Record and play
// run until their notice; every other command is done when it returns.
DWORD AllowedFlags(UINT msg)
{
    switch (msg) {
    case MCI_OPEN: return MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | kWaveOpenTake;
    case MCI_CLOSE:
    case MCI_STOP:
    case MCI_PAUSE:
    case MCI_RESUME: return MCI_WAIT;
    case MCI_SET: return MCI_WAIT | MCI_SET_TIME_FORMAT | kWaveSetFlags;
    case MCI_STATUS: return MCI_WAIT | MCI_STATUS_ITEM;
    case MCI_RECORD: return MCI_NOTIFY;
    case MCI_PLAY: return MCI_NOTIFY | MCI_FROM | MCI_TO;
    case MCI_SEEK: return MCI_WAIT | MCI_TO;
    case MCI_SAVE: return MCI_WAIT | MCI_SAVE_FILE;
    default: return 0;
    }
}

bool IsWaveAudio(DWORD flags, const MCI_OPEN_PARMSA& parms)
{
    if (!(flags & MCI_OPEN_TYPE))
        return true;   // the element alone names a wave file
    return parms.lpstrDeviceType && lstrcmpiA(parms.lpstrDeviceType, "waveaudio") == 0;
}

// A record the command cannot do without, checked once the record is there.
MCIERROR CheckRecord(UINT msg, DWORD flags, DWORD_PTR params)
{
    switch (msg) {
    case MCI_OPEN: {
        const auto& open = *reinterpret_cast<const MCI_OPEN_PARMSA*>(params);
        if (!IsWaveAudio(flags, open))
            return MCIERR_INVALID_DEVICE_NAME;
        // A take is a file: there is no new, empty one to take up.
        const bool named = (flags & MCI_OPEN_ELEMENT) && open.lpstrElementName && *open.lpstrElementName;
        return (flags & kWaveOpenTake) && !named ? MCIERR_FILENAME_REQUIRED : 0;
    }
    case MCI_STATUS:
        if (!(flags & MCI_STATUS_ITEM))
            return MCIERR_MISSING_PARAMETER;
        switch (reinterpret_cast<const MCI_STATUS_PARMS*>(params)->dwItem) {
        case MCI_STATUS_POSITION:
        case MCI_STATUS_LENGTH:
        case MCI_WAVE_STATUS_CHANNELS:
        case MCI_WAVE_STATUS_SAMPLESPERSEC:
        case MCI_WAVE_STATUS_BITSPERSAMPLE:
        case MCI_WAVE_STATUS_LEVEL: return 0;
        default: return MCIERR_BAD_CONSTANT;   // an item no caller of ours asks
        }
    case MCI_SEEK: return (flags & MCI_TO) ? 0 : MCIERR_MISSING_PARAMETER;
    case MCI_SET: return (flags & (MCI_SET_TIME_FORMAT | kWaveSetFlags)) ? 0 : MCIERR_MISSING_PARAMETER;
    case MCI_SAVE:
        return (flags & MCI_SAVE_FILE) && reinterpret_cast<const MCI_SAVE_PARMSA*>(params)->lpfilename
                   ? 0
                   : MCIERR_FILENAME_REQUIRED;
    default: return 0;
    }
}

} // namespace

MCIERROR CheckMciCommand(bool deviceOpen, MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params)
{
    if (msg == MCI_OPEN ? id != 0 : !deviceOpen)
        return MCIERR_INVALID_DEVICE_ID;
    const DWORD allowed = AllowedFlags(msg);
    if (allowed == 0)
        return MCIERR_UNRECOGNIZED_COMMAND;
    if (flags & ~static_cast<DWORD_PTR>(allowed))
        return MCIERR_UNSUPPORTED_FUNCTION;
    if (msg == MCI_CLOSE)
        return 0;   // the one command that comes without a record
    if (!params)
        return MCIERR_NULL_PARAMETER_BLOCK;
    return CheckRecord(msg, static_cast<DWORD>(flags), params);
}
