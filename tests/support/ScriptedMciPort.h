#pragma once
// A waveaudio device that tests script: it answers every command from a script and keeps a
// copy of each command's flags and parameter record, so a test sees exactly what was sent.
// It refuses what it does not understand by rules of its own, drawn from what CWaveDevice
// sends; the contract's table runs against it and against the engine and keeps them agreed.
#include "MciPort.h"
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

struct SentCommand {
    MCIDEVICEID id = 0;
    UINT msg = 0;
    DWORD_PTR flags = 0;
    bool hasParams = false;
    DWORD_PTR callback = 0;
    std::string deviceType, element, fileName;   // MCI_OPEN, MCI_SAVE
    UINT openedId = 0;                           // MCI_OPEN: the id handed back
    DWORD timeFormat = 0;                        // MCI_SET time format
    MCI_WAVE_SET_PARMS wave = {};                // MCI_SET wave format
    DWORD item = 0;                              // MCI_STATUS
    DWORD from = 0, to = 0;                      // MCI_PLAY, MCI_RECORD, MCI_SEEK
};

class ScriptedMciPort : public IMciPort {
public:
    MCIERROR SendCommand(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params) override;
    BOOL GetErrorString(MCIERROR code, LPSTR text, UINT size) override;
    BOOL SetYieldProc(MCIDEVICEID id, MciYield yield) override;

    // The next command with this message fails with code (queued, one per command). A command
    // the port refuses takes its queued failure all the same, and fails with the refusal.
    void FailNext(UINT msg, MCIERROR code) { failures[msg].push_back(code); }
    std::vector<SentCommand> Sent(UINT msg) const;
    size_t Count(UINT msg) const { return Sent(msg).size(); }
    // How often MCI_STATUS asked for this item.
    size_t Asked(DWORD item) const;

    std::vector<SentCommand> sent;
    std::map<DWORD, DWORD> statusAnswers;   // MCI_STATUS item -> dwReturn; 0 for any other
    std::map<UINT, std::deque<MCIERROR>> failures;
    UINT nextDeviceId = 7;
    std::set<MCIDEVICEID> openIds;   // handed out and not closed
    // A save that copies: each MCI_SAVE calls the device's yield procedure with these percents
    // in turn, and then whileSaving, until a yield answers FALSE (the save then fails); what
    // each yield answered is kept.
    std::vector<DWORD> saveProgress;
    std::function<void(DWORD percent)> whileSaving;
    std::vector<BOOL> yieldAnswers;
    std::map<MCIDEVICEID, MciYield> yields;

private:
    // MCI's code for a command this device does not take, 0 for one it does.
    MCIERROR Refusal(MCIDEVICEID id, UINT msg, DWORD_PTR flags, DWORD_PTR params) const;
};

// Puts a port in place for one scope.
class ScopedMciPort {
public:
    explicit ScopedMciPort(IMciPort* port) : m_previous(SetMciPort(port)) {}
    ~ScopedMciPort() { SetMciPort(m_previous); }
private:
    IMciPort* m_previous;
};
