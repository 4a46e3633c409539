// Record, Stop, Play, Pause, the position tick and the device's end notice on the real window.
#include "RecorderHarness.h"

namespace {
class Transport : public RecorderHarness {
protected:
    // After start-up: forget what start-up sent.
    void Forget() { port.sent.clear(); ui.boxes.clear(); }
};

TEST_F(Transport, RecordOpensAnEmptyTakeWithTheChosenFormatAndResetsTheTimes)
{
    AnswerLength(5000);
    Run([&](HWND h) {
        ::SetDlgItemTextA(h, IDC_POSITION, "00:00:09");
        Forget();
        Command(h, ID_RECORD);
        ASSERT_EQ(1u, port.Count(MCI_OPEN));
        EXPECT_EQ("", port.Sent(MCI_OPEN)[0].element);
        const auto sets = port.Sent(MCI_SET);
        ASSERT_EQ(2u, sets.size());   // time format, then the wave format
        EXPECT_EQ(2, sets[1].wave.nChannels);
        EXPECT_EQ(44100u, sets[1].wave.nSamplesPerSec);
        EXPECT_EQ(16, sets[1].wave.wBitsPerSample);
        EXPECT_EQ(176400u, sets[1].wave.nAvgBytesPerSec);
        EXPECT_EQ(4, sets[1].wave.nBlockAlign);
        ASSERT_EQ(1u, port.Count(MCI_RECORD));
        EXPECT_EQ(reinterpret_cast<DWORD_PTR>(h), port.Sent(MCI_RECORD)[0].callback);
        EXPECT_TRUE(dlg.m_wave.m_bRecording);
        EXPECT_EQ("00:00:00", ItemText(h, IDC_POSITION));
        EXPECT_EQ("00:00:00", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("   Ready for recording", Status(h));   // the first tick sets the status
    });
}

TEST_F(Transport, ChosenFormatReachesTheDevice)
{
    Run([&](HWND h) {
        ::SendDlgItemMessageA(h, IDC_SAMPLERATE, CB_SETCURSEL, 4, 0);   // 6000 Hz
        ::SendDlgItemMessageA(h, IDC_CHANNELS, CB_SETCURSEL, 1, 0);     // Mono
        ::SendDlgItemMessageA(h, IDC_BITS, CB_SETCURSEL, 0, 0);         // 8 bits
        Forget();
        Command(h, ID_RECORD);
        const auto sets = port.Sent(MCI_SET);
        ASSERT_EQ(2u, sets.size());
        EXPECT_EQ(1, sets[1].wave.nChannels);
        EXPECT_EQ(6000u, sets[1].wave.nSamplesPerSec);
        EXPECT_EQ(8, sets[1].wave.wBitsPerSample);
        EXPECT_EQ(1, sets[1].wave.nBlockAlign);
    });
}

TEST_F(Transport, RecordingTicksShowTheRecordedTime)
{
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        AnswerPosition(3456);
        const int thumb = SliderPos(h);
        Tick(h);
        EXPECT_EQ("00:00:03", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("00:00:00", ItemText(h, IDC_POSITION));
        EXPECT_EQ("   Recording...", Status(h));
        EXPECT_EQ(thumb, SliderPos(h));   // the slider stays with the old content
    });
}

TEST_F(Transport, TheRealTimerTicksOncePerSecondWhileRecording)
{
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        AnswerPosition(1000);
        EXPECT_TRUE(PumpUntil([&] { return Status(h) == "   Recording..."; }, 3000));
        port.sent.clear();
        PumpMessages(2500);   // each tick asks the position once
        EXPECT_GE(port.Asked(MCI_STATUS_POSITION), 2u);
        EXPECT_LE(port.Asked(MCI_STATUS_POSITION), 3u);
        Command(h, ID_STOP);
        ::SetDlgItemTextA(h, IDC_LENGTH, "unchanged");
        PumpMessages(1300);   // Stop killed the timer: nothing rewrites the text
        EXPECT_EQ("unchanged", ItemText(h, IDC_LENGTH));
    });
}

TEST_F(Transport, StopAfterRecordingShowsTheNewLength)
{
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        AnswerLength(3210);
        Forget();
        Command(h, ID_STOP);
        ASSERT_GE(port.sent.size(), 3u);
        EXPECT_EQ(static_cast<UINT>(MCI_STOP), port.sent[0].msg);
        EXPECT_EQ(static_cast<UINT>(MCI_SEEK), port.sent[1].msg);
        EXPECT_EQ(static_cast<UINT>(MCI_STATUS), port.sent[2].msg);
        EXPECT_EQ(32, SliderMax(h));
        EXPECT_EQ(0, SliderPos(h));
        EXPECT_EQ("00:00:03", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("00:00:00", ItemText(h, IDC_POSITION));
        EXPECT_EQ("   Sound was recorded, use Save to save in file", Status(h));
        EXPECT_FALSE(dlg.m_wave.m_bRecording);
        EXPECT_TRUE(dlg.m_wave.m_bReady);
    });
}

TEST_F(Transport, StopWithNothingRunningOnlySetsTheStatus)
{
    Run([&](HWND h) {
        ::SetDlgItemTextA(h, IDC_LENGTH, "kept");
        Forget();
        Command(h, ID_STOP);
        EXPECT_TRUE(port.sent.empty());
        EXPECT_EQ("kept", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("   Sound was recorded, use Save to save in file", Status(h));
    });
}

TEST_F(Transport, PlayTicksMoveTheThumbOneStepAhead)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Forget();
        Command(h, ID_PLAY);
        ASSERT_EQ(1u, port.Count(MCI_PLAY));
        EXPECT_EQ(1u, port.Sent(MCI_PLAY)[0].flags);
        AnswerPosition(50);
        Tick(h);
        EXPECT_EQ(1, SliderPos(h));   // 0..99 ms puts the thumb at step 1
        AnswerPosition(2345);
        Tick(h);
        EXPECT_EQ(24, SliderPos(h));
        EXPECT_EQ("00:00:02", ItemText(h, IDC_POSITION));
        EXPECT_EQ("   Playing...", Status(h));
        EXPECT_TRUE(PumpUntil([&] { return port.Asked(MCI_STATUS_POSITION) > 6; }, 1000));   // 100 ms timer runs
    });
}

TEST_F(Transport, PauseResumeAndTheirStatus)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_PLAY);
        Command(h, ID_PAUSE);
        EXPECT_TRUE(dlg.m_wave.m_bPaused);
        EXPECT_EQ("   Paused", Status(h));
        Tick(h);
        EXPECT_EQ("   Paused", Status(h));
        Command(h, ID_PAUSE);   // resumes
        EXPECT_TRUE(dlg.m_wave.m_bPlaying);
        EXPECT_EQ("   Paused", Status(h));   // until the next tick
        Tick(h);
        EXPECT_EQ("   Playing...", Status(h));
    });
}

TEST_F(Transport, PauseWithNothingPlayingChangesOnlyTheStatus)
{
    Run([&](HWND h) {
        Forget();
        Command(h, ID_PAUSE);
        EXPECT_TRUE(port.sent.empty());
        EXPECT_EQ("   Paused", Status(h));
        Command(h, ID_RECORD);
        Forget();
        Command(h, ID_PAUSE);   // a recording is not paused
        EXPECT_TRUE(port.sent.empty());
        EXPECT_TRUE(dlg.m_wave.m_bRecording);
    });
}

TEST_F(Transport, PlayIsRefusedWhileRecording)
{
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        Forget();
        Command(h, ID_PLAY);
        EXPECT_EQ(0u, port.Count(MCI_PLAY));
        EXPECT_TRUE(dlg.m_wave.m_bRecording);
    });
}

TEST_F(Transport, StopWhilePausedEndsThePlayback)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_PLAY);
        Command(h, ID_PAUSE);
        Forget();
        Command(h, ID_STOP);
        EXPECT_EQ(1u, port.Count(MCI_STOP));
        ASSERT_EQ(1u, port.Count(MCI_SEEK));
        EXPECT_EQ(0u, port.Sent(MCI_SEEK)[0].to);
        EXPECT_FALSE(dlg.m_wave.m_bPaused);
        EXPECT_FALSE(dlg.m_wave.m_bPlaying);
        Command(h, ID_PLAY);
        Tick(h);
        EXPECT_EQ("   Playing...", Status(h));   // a new playback is not shown as paused
    });
}

TEST_F(Transport, NoticesOfEndedOrFailedCommandsStopWhatRuns)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_PLAY);
        Notice(h, MCI_NOTIFY_SUCCESSFUL);
        EXPECT_FALSE(dlg.m_wave.m_bPlaying);
        EXPECT_EQ("   Sound was recorded, use Save to save in file", Status(h));
        EXPECT_TRUE(ui.boxes.empty()) << "a natural end is no failure";
        Command(h, ID_RECORD);
        Notice(h, MCI_NOTIFY_FAILURE);
        EXPECT_FALSE(dlg.m_wave.m_bRecording);
        EXPECT_TRUE(dlg.m_wave.m_bReady) << "the take cut short is kept";
        ASSERT_EQ(1u, ui.boxes.size());
        EXPECT_EQ(UINT(MB_ICONWARNING), ui.boxes[0].type);
        EXPECT_NE(std::string::npos, ui.boxes[0].text.find("The recording stopped"));
        Command(h, ID_PLAY);
        Notice(h, MCI_NOTIFY_FAILURE);
        ASSERT_EQ(2u, ui.boxes.size());
        EXPECT_EQ("Playback stopped: the sound output failed, or the file could not be read.", ui.boxes[1].text);
    });
}

TEST_F(Transport, AFailureNoticedAfterStopNamesWhatFailed)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        Command(h, ID_STOP);   // the take failed as Stop was clicked; its notice comes after
        Notice(h, MCI_NOTIFY_FAILURE);
        Command(h, ID_PLAY);
        Command(h, ID_STOP);
        Notice(h, MCI_NOTIFY_FAILURE);
        ASSERT_EQ(2u, ui.boxes.size());
        EXPECT_NE(std::string::npos, ui.boxes[0].text.find("The recording stopped"));
        EXPECT_EQ("Playback stopped: the sound output failed, or the file could not be read.", ui.boxes[1].text);
    });
}

TEST_F(Transport, AFailedRecordEndsTheTicksOfWhatItReplaced)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_PLAY);
        PumpMessages(250);
        port.FailNext(MCI_RECORD, MCIERR_DEVICE_NOT_READY);
        Click(ID_RECORD);
        ::SetDlgItemTextA(h, IDC_POSITION, "kept");
        PumpMessages(400);   // the play's 100 ms ticks would rewrite both
        EXPECT_EQ("kept", ItemText(h, IDC_POSITION));
        EXPECT_EQ("   Stopped", Status(h));
        EXPECT_FALSE(Pressed(ID_RECORD)) << "nothing records";

        Command(h, ID_RECORD);
        port.FailNext(MCI_RECORD, MCIERR_DEVICE_NOT_READY);
        Command(h, ID_RECORD);
        ::SetDlgItemTextA(h, IDC_LENGTH, "kept");
        PumpMessages(1300);   // and the take's 1 s ticks would show a play
        EXPECT_EQ("kept", ItemText(h, IDC_LENGTH));
        EXPECT_EQ("   Stopped", Status(h));
    });
}

TEST_F(Transport, NoticesOfAbortedOrSupersededCommandsAreIgnored)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_PLAY);
        Command(h, ID_RECORD);   // closes the playing device, whose notice comes late
        Notice(h, MCI_NOTIFY_ABORTED);
        Notice(h, MCI_NOTIFY_SUPERSEDED);
        EXPECT_TRUE(dlg.m_wave.m_bRecording);
        EXPECT_EQ(0u, port.Count(MCI_STOP));
    });
}

TEST_F(Transport, ASuccessPostedByAClosedDeviceLeavesTheNewTakeRunning)
{
    AnswerLength(10000);
    Run([&](HWND h) {
        Command(h, ID_PLAY);
        const MCIDEVICEID player = dlg.m_wave.m_wDeviceID;
        Command(h, ID_RECORD);   // the play had ended and posted its success just before
        ASSERT_NE(player, dlg.m_wave.m_wDeviceID);
        Notice(h, MCI_NOTIFY_SUCCESSFUL, player);
        EXPECT_TRUE(dlg.m_wave.m_bRecording);
        EXPECT_EQ(0u, port.Count(MCI_STOP));
        Notice(h, MCI_NOTIFY_SUCCESSFUL);   // the take's own end still stops it
        EXPECT_FALSE(dlg.m_wave.m_bRecording);
    });
}

TEST_F(Transport, RecordWhileRecordingStartsANewTake)
{
    Run([&](HWND h) {
        Command(h, ID_RECORD);
        AnswerPosition(4000);
        Tick(h);
        Forget();
        Command(h, ID_RECORD);
        EXPECT_EQ(1u, port.Count(MCI_CLOSE));
        EXPECT_EQ(1u, port.Count(MCI_RECORD));
        EXPECT_EQ("00:00:00", ItemText(h, IDC_LENGTH));
    });
}

TEST_F(Transport, FailedOpenForRecordShowsTwoBoxesAndStartsNothing)
{
    Run([&](HWND h) {
        Forget();
        port.FailNext(MCI_OPEN, MCIERR_WAVE_INPUTSUNSUITABLE);
        Command(h, ID_RECORD);
        EXPECT_EQ(2u, ui.boxes.size());
        EXPECT_EQ(0u, port.Count(MCI_SET));   // no device: the format is not sent
        EXPECT_FALSE(dlg.m_wave.m_bRecording);
        ::SetDlgItemTextA(h, IDC_LENGTH, "kept");
        PumpMessages(1200);   // no timer was started
        EXPECT_EQ("kept", ItemText(h, IDC_LENGTH));
    });
}

TEST_F(Transport, SliderReleaseSnapsBackToTheDeviceWithoutSeeking)
{
    AnswerLength(5000);
    Run([&](HWND h) {
        ::SendDlgItemMessageA(h, IDC_SLIDER, TBM_SETPOS, TRUE, 40);
        AnswerPosition(1234);
        Forget();
        ReleaseSlider(h);
        EXPECT_EQ(12, SliderPos(h));
        EXPECT_EQ("00:00:01", ItemText(h, IDC_POSITION));
        EXPECT_EQ(0u, port.Count(MCI_SEEK));
        AnswerPosition(9000);   // beyond the length: the length serves
        ReleaseSlider(h);
        EXPECT_EQ(50, SliderPos(h));
        EXPECT_EQ("00:00:05", ItemText(h, IDC_POSITION));
    });
}

TEST_F(Transport, UnknownLengthShowsNothingRatherThanAMadeUpTime)
{
    Run([&](HWND h) {
        dlg.ShowLength(NO_ANSWER);
        EXPECT_EQ("00:00:00", ItemText(h, IDC_LENGTH));
        EXPECT_EQ(0, SliderMax(h));
        dlg.ShowLength(99);   // shorter than a step: the thumb cannot move
        EXPECT_EQ(0, SliderMax(h));
        dlg.ShowLength(90061000);
        EXPECT_EQ("01:01:01", ItemText(h, IDC_LENGTH));
        EXPECT_EQ(900610, SliderMax(h));
    });
}

TEST_F(Transport, OtherTimersGetOnlyTheDefaultHandling)
{
    Run([&](HWND h) {
        Forget();
        ::SendMessageA(h, WM_TIMER, TIMER_LEVEL + 1, 0);
        EXPECT_TRUE(port.sent.empty());
    });
}
}
