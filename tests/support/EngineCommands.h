#pragma once
// Sends the MCI commands the recorder uses to an engine, as the program's port does.
#include "CWaveEngine.h"
#include <gtest/gtest.h>

class EngineTest : public ::testing::Test {
protected:
    explicit EngineTest(EngineSeams seams = EngineSeams()) : engine(std::move(seams)) {}
    CWaveEngine engine;

    MCIERROR OpenDevice(const char* element, MCIDEVICEID& id, DWORD extraFlags = 0)
    {
        MCI_OPEN_PARMSA open = {};
        open.lpstrDeviceType = "waveaudio";
        open.lpstrElementName = element;
        const MCIERROR error = engine.SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT | extraFlags,
                                                  reinterpret_cast<DWORD_PTR>(&open));
        id = error ? 0 : open.wDeviceID;
        if (!error)
            SetMs(id);
        return error;
    }

    // Opens or fails the test.
    MCIDEVICEID Open(const char* element = "")
    {
        MCIDEVICEID id = 0;
        const MCIERROR error = OpenDevice(element, id);
        EXPECT_EQ(error, 0u) << "open " << element;
        return id;
    }

    MCIERROR Close(MCIDEVICEID id) { return engine.SendCommand(id, MCI_CLOSE, 0, 0); }

    MCIERROR SetMs(MCIDEVICEID id)
    {
        MCI_SET_PARMS set = {};
        set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
        return engine.SendCommand(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));
    }

    MCIERROR SetFormat(MCIDEVICEID id, WORD channels, DWORD rate, WORD bits, WORD tag = WAVE_FORMAT_PCM,
                       int alignDelta = 0, int avgDelta = 0)
    {
        MCI_WAVE_SET_PARMS set = {};
        set.wFormatTag = tag;
        set.nChannels = channels;
        set.nSamplesPerSec = rate;
        set.nBlockAlign = WORD(channels * bits / 8 + alignDelta);
        set.nAvgBytesPerSec = rate * channels * bits / 8 + avgDelta;
        set.wBitsPerSample = bits;
        return engine.SendCommand(id, MCI_SET, 0x003F0002, reinterpret_cast<DWORD_PTR>(&set));
    }

    MCIERROR StatusOf(MCIDEVICEID id, DWORD item, DWORD& answer)
    {
        MCI_STATUS_PARMS status = {};
        status.dwItem = item;
        const MCIERROR error = engine.SendCommand(id, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
        answer = DWORD(status.dwReturn);
        return error;
    }

    DWORD Status(MCIDEVICEID id, DWORD item)
    {
        DWORD answer = 0xDEADBEEF;
        EXPECT_EQ(StatusOf(id, item, answer), 0u) << "status item " << item;
        return answer;
    }

    DWORD Position(MCIDEVICEID id) { return Status(id, MCI_STATUS_POSITION); }
    DWORD Length(MCIDEVICEID id) { return Status(id, MCI_STATUS_LENGTH); }

    MCIERROR Record(MCIDEVICEID id, HWND notify)
    {
        MCI_RECORD_PARMS record = {};
        record.dwCallback = reinterpret_cast<DWORD_PTR>(notify);
        return engine.SendCommand(id, MCI_RECORD, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&record));
    }

    MCIERROR Play(MCIDEVICEID id, HWND notify, DWORD extraFlags = 0, DWORD from = 0, DWORD to = 0)
    {
        MCI_PLAY_PARMS play = {};
        play.dwCallback = reinterpret_cast<DWORD_PTR>(notify);
        play.dwFrom = from;
        play.dwTo = to;
        return engine.SendCommand(id, MCI_PLAY, MCI_NOTIFY | extraFlags, reinterpret_cast<DWORD_PTR>(&play));
    }

    MCIERROR Generic(MCIDEVICEID id, UINT msg)
    {
        MCI_GENERIC_PARMS generic = {};
        return engine.SendCommand(id, msg, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&generic));
    }

    MCIERROR Stop(MCIDEVICEID id) { return Generic(id, MCI_STOP); }
    MCIERROR Pause(MCIDEVICEID id) { return Generic(id, MCI_PAUSE); }
    MCIERROR Resume(MCIDEVICEID id) { return Generic(id, MCI_RESUME); }

    MCIERROR Seek(MCIDEVICEID id, DWORD to)
    {
        MCI_SEEK_PARMS seek = {};
        seek.dwTo = to;
        return engine.SendCommand(id, MCI_SEEK, MCI_TO | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&seek));
    }

    MCIERROR Save(MCIDEVICEID id, const std::string& path)
    {
        MCI_SAVE_PARMSA save = {};
        save.lpfilename = path.c_str();
        return engine.SendCommand(id, MCI_SAVE, MCI_SAVE_FILE | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&save));
    }
};
