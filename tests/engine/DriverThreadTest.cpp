// The thread a stream's driver calls run on, with calls that stand for a driver that hangs.
#include "TimedDriverCalls.h"
#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <vector>

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

// A close behind a hung call is made once that call returns, and keeps what it owns until then:
// the driver still holds the headers and buffers the close would let go. Freed at once, they
// were overwritten while the driver still queued them, and the driver crashed once it woke.
TEST(DriverThreadTest, ACloseBehindAHungCallRunsOnceItReturnsAndOwnsItsBuffersTillThen)
{
    for (const bool threadGone : { false, true }) {
        HangingCall hung;
        auto closed = std::make_shared<std::atomic<int>>(0);
        auto buffers = std::make_shared<std::vector<WAVEHDR>>(16);
        const std::weak_ptr<std::vector<WAVEHDR>> held = buffers;
        auto thread = std::make_unique<CDriverThread>();
        EXPECT_EQ(kDriverNotAnswering, thread->Call(hung.Call(), 0));
        EXPECT_EQ(kDriverNotAnswering,
                  thread->Close([closed, buffers] { ++*closed; return MMRESULT(MMSYSERR_NOERROR); }, 5000));
        buffers.reset();
        if (threadGone)
            thread.reset();   // the stream that closed has gone too
        EXPECT_FALSE(held.expired()) << "freed while the driver holds them (thread gone: " << threadGone << ")";
        EXPECT_EQ(0, closed->load());
        hung.LetGo();
        for (int i = 0; i < 100 && !held.expired(); ++i)
            Sleep(50);
        EXPECT_EQ(1, closed->load()) << "thread gone: " << threadGone;
        EXPECT_TRUE(held.expired());
    }
}
