// The level meter in the status line over the scripted device: its bars and words follow the
// levels the device answers, and it is there only while a take records or a sound plays.
#include "RecorderHarness.h"

namespace {
const char CLIPPED[] = "Clipped";
const char SILENT[] = "No sound from the input";

class LevelMeter : public RecorderHarness {
protected:
    static HWND Part(HWND h, int id) { return ::GetDlgItem(::GetDlgItem(h, IDC_STATUSBAR), id); }
    static int Bar(HWND h, int id) { return static_cast<int>(::SendMessageA(Part(h, id), PBM_GETPOS, 0, 0)); }
    static std::string Words(HWND h) { return TextOf(Part(h, IDC_LEVEL_WORDS)); }
    static int Visible(HWND h)
    {
        return ::IsWindowVisible(Part(h, IDC_LEVEL_LEFT)) + ::IsWindowVisible(Part(h, IDC_LEVEL_RIGHT)) +
               ::IsWindowVisible(Part(h, IDC_LEVEL_WORDS));
    }
    static std::vector<int> LineParts(HWND h)
    {
        std::vector<int> edges(4);
        edges.resize(::SendDlgItemMessageA(h, IDC_STATUSBAR, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges.data())));
        return edges;
    }
    void Read(HWND h, DWORD level)
    {
        port.statusAnswers[MCI_WAVE_STATUS_LEVEL] = level;
        ::SendMessageA(h, WM_TIMER, TIMER_LEVEL, 0);
    }
    // The rightmost column the status line paints its text in.
    static int TextEnd(HWND h)
    {
        int end = -1;
        for (const auto& row : Picture(::GetDlgItem(h, IDC_STATUSBAR), RGB(255, 255, 255)))
            for (int x = 0; x < static_cast<int>(row.size()); ++x)
                if (GetRValue(row[x]) + GetGValue(row[x]) + GetBValue(row[x]) < 200)
                    end = std::max(end, x);
        return end;
    }
};

TEST_F(LevelMeter, TheBarsShowEachChannelInDecibelsOnTheSoundsOwnScale)
{
    AnswerLength(10000);
    const struct { WORD channels, bits; DWORD level; int left, right; const char* words; } cases[] = {
        { 2, 16, 0x40000800, 54, 36, "" },       // -6 and -24 dBFS
        { 1, 16, 0x00002000, 48, 48, "" },       // mono: both bars show the one channel
        { 2, 8, 0x00400010, 54, 42, "" },        // 8 bits: full scale is 128
        { 2, 24, 0x10000000, 42, 0, "" },        // wider sound comes on the 16-bit scale
        { 2, 16, 0x00000021, 0, 0, "" },         // below -60 dBFS
        { 2, 16, 0x7FFE7FFE, 60, 60, "" },
        { 2, 16, 0x7FFF0000, 60, 0, CLIPPED },   // full scale, either way
        { 2, 16, 0x00008000, 0, 60, CLIPPED },
        { 2, 8, 0x007E007E, 60, 60, "" },
        { 1, 8, 0x0000007F, 60, 60, CLIPPED },
    };
    Run([&](HWND h) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.channels << " ch, " << c.bits << " bits, 0x" << std::hex << c.level);
            port.statusAnswers[MCI_WAVE_STATUS_CHANNELS] = c.channels;
            port.statusAnswers[MCI_WAVE_STATUS_BITSPERSAMPLE] = c.bits;
            Command(h, ID_PLAY);
            Read(h, c.level);
            EXPECT_EQ(c.left, Bar(h, IDC_LEVEL_LEFT));
            EXPECT_EQ(c.right, Bar(h, IDC_LEVEL_RIGHT));
            EXPECT_EQ(c.words, Words(h));
            Command(h, ID_STOP);
        }
    });
}

TEST_F(LevelMeter, ClippedStaysUntilTheNextRecordOrPlayAndATakesSilenceIsNamedAfterTwoSeconds)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_PLAY);
        Read(h, 0x7FFF1000);
        Command(h, ID_PAUSE);
        Read(h, 0);
        EXPECT_EQ(CLIPPED, Words(h)) << "paused, and with sound that no longer clips";
        PumpMessages(CLevelMeter::kSilenceMs + 300);
        EXPECT_EQ(CLIPPED, Words(h)) << "a file may well be silent: only a take's input is watched";
        Command(h, ID_PLAY);
        EXPECT_EQ("", Words(h));

        Read(h, 0x80000000);
        const DWORD start = ::GetTickCount();
        Command(h, ID_RECORD);
        Read(h, 0);
        EXPECT_EQ("", Words(h));
        ASSERT_TRUE(PumpUntil([&] { return Words(h) == SILENT; }, 4000)) << "the meter's own timer";
        EXPECT_GE(::GetTickCount() - start, CLevelMeter::kSilenceMs);
        Read(h, 0x00000001);
        EXPECT_EQ("", Words(h)) << "sound came";
    });
}

TEST_F(LevelMeter, ItShowsOnlyWhileATakeRecordsOrASoundPlays)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        const std::vector<int> idle = LineParts(h);
        EXPECT_EQ(1u, idle.size());
        EXPECT_EQ(0, Visible(h));
        const struct { const char* what; UINT start; std::function<void()> end; } runs[] = {
            { "a take, stopped", ID_RECORD, [&] { Command(h, ID_STOP); } },
            { "a play, paused and stopped", ID_PLAY, [&] { Command(h, ID_PAUSE); EXPECT_EQ(3, Visible(h)); Command(h, ID_STOP); } },
            { "a play to its end", ID_PLAY, [&] { Notice(h, MCI_NOTIFY_SUCCESSFUL); } },
            { "a play that a failing Record ended", ID_PLAY,
              [&] { port.FailNext(MCI_RECORD, MCIERR_DEVICE_NOT_READY); Command(h, ID_RECORD); } },
        };
        for (const auto& run : runs) {
            SCOPED_TRACE(run.what);
            Command(h, run.start);
            EXPECT_EQ(3, Visible(h));
            EXPECT_EQ(2u, LineParts(h).size());
            EXPECT_TRUE(PumpUntil([&] { return port.Asked(MCI_WAVE_STATUS_LEVEL) >= 2; }, 2000)) << "the meter's timer";
            run.end();
            EXPECT_EQ(0, Visible(h));
            EXPECT_EQ(idle, LineParts(h)) << "the status line as it was";
            port.sent.clear();
            PumpMessages(300);
            EXPECT_EQ(0u, port.Asked(MCI_WAVE_STATUS_LEVEL)) << "its timer is gone too";
        }
    });
}

TEST_F(LevelMeter, BesideItTheLongestStatusTextAndItsOwnWordsReadWhole)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        HWND line = ::GetDlgItem(h, IDC_STATUSBAR);
        dlg.ShowStatus(IDS_RECORDED);
        const int whole = TextEnd(h);
        port.statusAnswers[MCI_WAVE_STATUS_LEVEL] = 0;
        Command(h, ID_RECORD);
        ASSERT_TRUE(PumpUntil([&] { return Words(h) == SILENT; }, 4000));
        dlg.ShowStatus(IDS_RECORDED);
        EXPECT_EQ(whole, TextEnd(h)) << "the text is cut";
        EXPECT_EQ(std::vector<std::string>{}, CutLabels(line)) << "the words read whole";
        RECT meter, common;
        ::SendMessageA(line, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&meter));
        const int ids[] = { IDC_LEVEL_WORDS, IDC_LEVEL_LEFT, IDC_LEVEL_RIGHT };
        for (int i = 0; i < 3; ++i) {
            const RECT r = RectIn(line, Part(h, ids[i]));
            EXPECT_TRUE(!::IsRectEmpty(&r) && ::IntersectRect(&common, &r, &meter) && ::EqualRect(&common, &r)) << ids[i];
            for (int j = i + 1; j < 3; ++j) {
                const RECT other = RectIn(line, Part(h, ids[j]));
                EXPECT_FALSE(::IntersectRect(&common, &r, &other)) << ids[i] << " and " << ids[j];
            }
        }
    });
}
}
