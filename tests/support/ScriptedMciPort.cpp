#include "ScriptedMciPort.h"
#include "MciContract.h"
#include <cstdio>

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
    if (const MCIERROR refused = CheckMciCommand(openIds.count(id) != 0, id, msg, flags, params))
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
            if (flags & (MCI_WAVE_SET_FORMATTAG | MCI_WAVE_SET_CHANNELS | MCI_WAVE_SET_SAMPLESPERSEC |
                         MCI_WAVE_SET_AVGBYTESPERSEC | MCI_WAVE_SET_BLOCKALIGN | MCI_WAVE_SET_BITSPERSAMPLE))
                c.wave = *reinterpret_cast<MCI_WAVE_SET_PARMS*>(params);
            break;
        case MCI_STATUS: {
            auto* p = reinterpret_cast<MCI_STATUS_PARMS*>(params);
            c.item = p->dwItem;
            if (result == 0 && statusAnswers.count(p->dwItem))
                p->dwReturn = statusAnswers[p->dwItem];
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
