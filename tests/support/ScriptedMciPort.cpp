#include "ScriptedMciPort.h"
#include "MciContract.h"
#include <algorithm>
#include <cstdio>

namespace {
const DWORD kWaveFormatFlags = MCI_WAVE_SET_FORMATTAG | MCI_WAVE_SET_CHANNELS | MCI_WAVE_SET_SAMPLESPERSEC |
                               MCI_WAVE_SET_AVGBYTESPERSEC | MCI_WAVE_SET_BLOCKALIGN | MCI_WAVE_SET_BITSPERSAMPLE;

// The commands the device takes: the flags each may carry, and the flags of which it needs at
// least one, with the code for a command that has none of them. Record and play end with a
// notice; the others are done on return and may be sent to wait.
struct Takes {
    UINT msg;
    DWORD flags;
    DWORD needs;
    MCIERROR without;
};
const Takes kTakes[] = {
    { MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | kWaveOpenTake | MCI_WAIT, 0, 0 },
    { MCI_CLOSE, MCI_WAIT, 0, 0 },
    { MCI_SET, MCI_SET_TIME_FORMAT | kWaveFormatFlags | MCI_WAIT, MCI_SET_TIME_FORMAT | kWaveFormatFlags,
      MCIERR_MISSING_PARAMETER },
    { MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, MCI_STATUS_ITEM, MCIERR_MISSING_PARAMETER },
    { MCI_RECORD, MCI_NOTIFY, 0, 0 },
    { MCI_PLAY, MCI_NOTIFY | MCI_FROM | MCI_TO, 0, 0 },
    { MCI_STOP, MCI_WAIT, 0, 0 },
    { MCI_PAUSE, MCI_WAIT, 0, 0 },
    { MCI_RESUME, MCI_WAIT, 0, 0 },
    { MCI_SEEK, MCI_TO | MCI_WAIT, MCI_TO, MCIERR_MISSING_PARAMETER },
    { MCI_SAVE, MCI_SAVE_FILE | MCI_WAIT, MCI_SAVE_FILE, MCIERR_FILENAME_REQUIRED },
};

// What CWaveDevice asks of the device; an item it never asks is a mistake.
const DWORD kItems[] = { MCI_STATUS_POSITION, MCI_STATUS_LENGTH, MCI_WAVE_STATUS_CHANNELS,
                         MCI_WAVE_STATUS_SAMPLESPERSEC, MCI_WAVE_STATUS_BITSPERSAMPLE, MCI_WAVE_STATUS_LEVEL };
}

MCIERROR ScriptedMciPort::Refusal(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params) const
{
    // An open names a type of device, not one; every other command goes to a device open now.
    const bool addressed = msg == MCI_OPEN ? id == 0 : openIds.count(id) != 0;
    if (!addressed)
        return MCIERR_INVALID_DEVICE_ID;
    const Takes* takes = std::find_if(std::begin(kTakes), std::end(kTakes), [msg](const Takes& t) { return t.msg == msg; });
    if (takes == std::end(kTakes))
        return MCIERR_UNRECOGNIZED_COMMAND;
    if ((flags | takes->flags) != takes->flags)
        return MCIERR_UNSUPPORTED_FUNCTION;
    if (msg == MCI_CLOSE)
        return 0;   // the record of a close, if any, says nothing
    if (params == 0)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (takes->needs != 0 && (flags & takes->needs) == 0)
        return takes->without;
    if (msg == MCI_OPEN) {
        const auto* open = reinterpret_cast<const MCI_OPEN_PARMSA*>(params);
        const bool typed = (flags & MCI_OPEN_TYPE) != 0;
        if (typed && (open->lpstrDeviceType == nullptr || lstrcmpiA(open->lpstrDeviceType, "waveaudio") != 0))
            return MCIERR_INVALID_DEVICE_NAME;
        // A take is held from a file; a new, empty recording is no take.
        const std::string element = (flags & MCI_OPEN_ELEMENT) && open->lpstrElementName ? open->lpstrElementName : "";
        if ((flags & kWaveOpenTake) && element.empty())
            return MCIERR_FILENAME_REQUIRED;
    }
    if (msg == MCI_STATUS) {
        const DWORD item = reinterpret_cast<const MCI_STATUS_PARMS*>(params)->dwItem;
        if (std::find(std::begin(kItems), std::end(kItems), item) == std::end(kItems))
            return MCIERR_BAD_CONSTANT;
    }
    if (msg == MCI_SAVE && reinterpret_cast<const MCI_SAVE_PARMSA*>(params)->lpfilename == nullptr)
        return MCIERR_FILENAME_REQUIRED;
    return 0;
}

MCIERROR ScriptedMciPort::SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params)
{
    SentCommand c;
    c.id = id;
    c.msg = msg;
    c.flags = flags;
    c.hasParams = params != 0;
    MCIERROR result = 0;
    auto queued = failures.find(msg);
    if (queued != failures.end() && !queued->second.empty()) {
        result = queued->second.front();
        queued->second.pop_front();
    }
    if (const MCIERROR refused = Refusal(id, msg, flags, params))
        result = refused;
    if (msg == MCI_CLOSE && result == 0)
        openIds.erase(id);
    if (params) {
        c.callback = reinterpret_cast<MCI_GENERIC_PARMS*>(params)->dwCallback;
        switch (msg) {
        case MCI_OPEN: {
            auto* p = reinterpret_cast<MCI_OPEN_PARMSA*>(params);
            c.deviceType = p->lpstrDeviceType ? p->lpstrDeviceType : "(null)";
            c.element = p->lpstrElementName ? p->lpstrElementName : "(null)";
            if (result == 0) {
                p->wDeviceID = c.openedId = nextDeviceId++;
                openIds.insert(c.openedId);
            }
            break;
        }
        case MCI_SAVE: {
            const char* name = reinterpret_cast<MCI_SAVE_PARMSA*>(params)->lpfilename;
            c.fileName = name ? name : "(null)";
            const MciYield yield = yields[id];
            for (DWORD percent : saveProgress) {
                if (result || !yield)
                    break;
                yieldAnswers.push_back(yield(percent));
                if (!yieldAnswers.back())
                    result = MCIERR_FILE_NOT_SAVED;
                if (whileSaving)
                    whileSaving(percent);
            }
            break;
        }
        case MCI_SET:
            c.timeFormat = reinterpret_cast<MCI_SET_PARMS*>(params)->dwTimeFormat;
            // Any of the wave fields makes it the larger wave record.
            if (flags & kWaveFormatFlags)
                c.wave = *reinterpret_cast<MCI_WAVE_SET_PARMS*>(params);
            break;
        case MCI_STATUS: {
            auto* p = reinterpret_cast<MCI_STATUS_PARMS*>(params);
            c.item = p->dwItem;
            if (result == 0) {
                const auto answer = statusAnswers.find(p->dwItem);
                p->dwReturn = answer != statusAnswers.end() ? answer->second : 0;
            }
            break;
        }
        case MCI_PLAY: case MCI_RECORD: {
            auto* p = reinterpret_cast<MCI_PLAY_PARMS*>(params);
            c.from = p->dwFrom;
            c.to = p->dwTo;
            break;
        }
        case MCI_SEEK:
            c.to = reinterpret_cast<MCI_SEEK_PARMS*>(params)->dwTo;
            break;
        }
    }
    sent.push_back(c);
    return result;
}

BOOL ScriptedMciPort::SetYieldProc(MCIDEVICEID id, MciYield yield)
{
    yields[id] = std::move(yield);
    return TRUE;
}

BOOL ScriptedMciPort::GetErrorString(MCIERROR code, LPSTR text, UINT size)
{
    std::snprintf(text, size, "device error %lu", static_cast<unsigned long>(code));
    return TRUE;
}

size_t ScriptedMciPort::Asked(DWORD item) const
{
    size_t asked = 0;
    for (const SentCommand& c : Sent(MCI_STATUS))
        asked += c.item == item;
    return asked;
}

std::vector<SentCommand> ScriptedMciPort::Sent(UINT msg) const
{
    std::vector<SentCommand> matching;
    for (const SentCommand& c : sent)
        if (c.msg == msg)
            matching.push_back(c);
    return matching;
}
