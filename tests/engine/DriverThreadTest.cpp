// The thread a stream's driver calls run on, with calls that stand for a driver that hangs.
#include "TimedDriverCalls.h"
#include <gtest/gtest.h>
#include <atomic>
#include <memory>

namespace {
// A call that does not return until it is let go.
struct HangingCall {
    std::shared_ptr<void> release{CreateEventA(nullptr, TRUE, FALSE, nullptr), CloseHandle};
    std::function<MMRESULT()> Call()
    {
        auto event = release;
        return [event] { WaitForSingleObject(event.get(), INFINITE); return MMRESULT(MMSYSERR_NOERROR); };
    }
    void LetGo() { SetEvent(release.get()); }
};
} // namespace

// A hung call keeps the thread; a call behind it is not made at all, however long its caller
// would wait, so that a driver that hangs never gathers calls to run when it wakes.
TEST(DriverThreadTest, ACallBehindAHungOneFailsAndIsNeverMade)
{
    HangingCall hung;
    auto ran = std::make_shared<std::atomic<int>>(0);
    {
        CDriverThread thread;
        EXPECT_EQ(kDriverNotAnswering, thread.Call(hung.Call(), 0));
        EXPECT_EQ(kDriverNotAnswering, thread.Call([ran] { ++*ran; return MMRESULT(MMSYSERR_NOERROR); }, 5000));
        hung.LetGo();
        // Once the hung call is back, the thread takes calls again.
        for (int i = 0; i < 100 && thread.Call([] { return MMRESULT(7); }, 5000) != 7; ++i)
            Sleep(50);
        EXPECT_EQ(7u, thread.Call([] { return MMRESULT(7); }, 5000));
    }
    EXPECT_EQ(0, ran->load()) << "the call behind the hung one ran after all";
}

// A thread left in a hung call does not hold up the stream's end: it ends when the call does.
TEST(DriverThreadTest, AThreadInAHungCallIsLeftToEndWithIt)
{
    HangingCall hung;
    auto thread = std::make_unique<CDriverThread>();
    EXPECT_EQ(kDriverNotAnswering, thread->Call(hung.Call(), 0));
    thread.reset();   // would never return if it waited for the call
    hung.LetGo();
}
