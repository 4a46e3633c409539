// A take whose Vorsel was killed while it recorded comes back at the next start, with all the
// sound its file holds: it plays, and it saves whole. A second Vorsel started meanwhile never
// offers the take the first one is recording.
#include "EngineTestSupport.h"
#include "RecorderWindowDriver.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {
const char OFFER_START[] = "A recording was not saved when Vorsel last ended: ";

// "Vorsel take 2026-12-08 14-03-07.wav" gives "2026-12-08 14:03".
std::string BegunText(const std::string& take)
{
    const std::string stamp = take.substr(take.find("Vorsel take ") + 12, 16);
    return stamp.substr(0, 13) + ":" + stamp.substr(14, 2);
}

TEST(LeftoverE2E, AKilledTakeComesBackAtTheNextStartPlaysAndSavesWhole)
{
    CEngineScratchDir scratch;
    CEngineTone tone(440, 30);
    ASSERT_TRUE(tone.Start());
    ::Sleep(400);
    RecorderWindowDriver first;
    ASSERT_TRUE(first.Start());
    first.Command(ID_RECORD);
    ASSERT_TRUE(first.StatusBecomes("   Recording...", 3000));
    ASSERT_EQ(1u, EngineTakeFiles().size());
    const std::string take = EngineTakeFiles()[0];

    {
        RecorderWindowDriver second;
        ASSERT_TRUE(second.Start());
        EXPECT_EQ(nullptr, second.OtherWindow(nullptr, 1500)) << "the running take is offered to nobody";
        second.Quit();
    }
    for (int i = 0; i < 80 && first.Item(IDC_LENGTH) < "00:00:03"; ++i)
        ::Sleep(50);
    ::Sleep(500);
    const std::string shownAtTheKill = first.Item(IDC_LENGTH);
    WIN32_FILE_ATTRIBUTE_DATA onDisk = {};
    ASSERT_TRUE(::GetFileAttributesExA(take.c_str(), GetFileExInfoStandard, &onDisk));
    first.app.Kill();
    tone.Stop();

    RecorderWindowDriver next;
    ASSERT_TRUE(next.Start());
    RecorderWindowDriver::Box offer;
    ASSERT_TRUE(next.NextBox(offer, nullptr, 8000, IDYES));
    EXPECT_EQ("Vorsel", offer.caption);
    EXPECT_EQ(next.main, offer.owner);
    ASSERT_EQ(0u, offer.text.find(OFFER_START)) << offer.text;
    const std::string length = offer.text.substr(sizeof OFFER_START - 1, 8);
    EXPECT_EQ(" of 44100 Hz, Stereo, 16 bits, begun " + BegunText(take) + ". Open it?",
              offer.text.substr(sizeof OFFER_START - 1 + 8));
    EXPECT_GE(length, shownAtTheKill) << "all that was recorded until the kill";
    EXPECT_EQ(length, next.Item(IDC_LENGTH));
    const LRESULT steps = next.SliderMax();
    // 44100 Hz stereo 16-bit: 176400 bytes a second, 17640 a slider step.
    EXPECT_GE(steps, LRESULT((onDisk.nFileSizeLow - 44) / 17640)) << "all the sound the file held at the kill";

    next.Command(ID_PLAY);
    EXPECT_TRUE(next.StatusBecomes("   Playing..."));
    EXPECT_TRUE(next.StatusBecomes(RECORDED, 8000)) << "played to its end";

    const std::string saved = scratch.Path("recovered.wav");
    next.SetField(saved);
    EngineWave wave;
    next.ExpectToneSaved(saved, steps, 0.1, wave);
    EXPECT_LT(EngineLongestFlatRun(wave.mono, wave.rate), 0.01);

    next.Command(ID_EXIT);   // saved: nothing to ask
    EXPECT_TRUE(next.app.WaitForExit());
    EXPECT_TRUE(EngineTakeFiles().empty()) << "the take went with the device that held it";
}
}
