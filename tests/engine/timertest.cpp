// The tick timer's start and stop sequences on simulated platforms, and its counter.
#include "enginestate.h"
#include "ticktimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace tonalyte;

namespace {

// Records every call, so a test can see what the start and stop sequences asked for.
class FakeTickSource : public TickSource {
public:
    uint32_t periodMin = 1, periodMax = 1000;
    uint32_t capsResult = 0, beginResult = 0, nextId = 7;
    std::vector<std::string> calls;

    uint32_t capabilities(uint32_t &mn, uint32_t &mx) override
    {
        calls.push_back("caps");
        mn = periodMin;
        mx = periodMax;
        return capsResult;
    }
    uint32_t beginPeriod(uint32_t p) override
    {
        calls.push_back("begin " + std::to_string(p));
        return beginResult;
    }
    uint32_t endPeriod(uint32_t p) override
    {
        calls.push_back("end " + std::to_string(p));
        return 0;
    }
    uint32_t startPeriodic(uint32_t delay, uint32_t period, Callback) override
    {
        calls.push_back("start " + std::to_string(delay) + " " + std::to_string(period));
        return nextId;
    }
    uint32_t killPeriodic(uint32_t id) override
    {
        calls.push_back("kill " + std::to_string(id));
        return 0;
    }
};

struct TimerTest : ::testing::Test {
    FakeTickSource fake;
    void SetUp() override { setTickSource(&fake); }
    void TearDown() override
    {
        stopTimer();
        setTickSource(nullptr);
    }
};

using Calls = std::vector<std::string>;

} // namespace

TEST_F(TimerTest, StartsAOneMillisecondPeriodicEvent)
{
    EXPECT_EQ(startTimer(), 1);
    EXPECT_EQ(fake.calls, (Calls{"caps", "begin 1", "start 1 1"}));
    fake.calls.clear();
    EXPECT_EQ(stopTimer(), 1);
    EXPECT_EQ(fake.calls, (Calls{"kill 7", "end 1"}));
}

TEST_F(TimerTest, RefusesAPlatformThatCannotTickEveryMillisecond)
{
    fake.periodMin = 2;
    EXPECT_EQ(startTimer(), 0);
    EXPECT_EQ(fake.calls, (Calls{"caps"})); // no period begun, no event created
    EXPECT_FALSE(timerRunning());
}

TEST_F(TimerTest, FailedStartsLeaveNothingRunning)
{
    fake.capsResult = 1;
    EXPECT_EQ(startTimer(), 0);
    EXPECT_EQ(fake.calls, (Calls{"caps"}));

    fake = FakeTickSource{};
    fake.beginResult = 1;
    EXPECT_EQ(startTimer(), 0);
    EXPECT_EQ(fake.calls, (Calls{"caps", "begin 1"}));

    fake = FakeTickSource{};
    fake.nextId = 0;
    EXPECT_EQ(startTimer(), 0);
    EXPECT_EQ(fake.calls, (Calls{"caps", "begin 1", "start 1 1", "end 1"}));
    EXPECT_FALSE(timerRunning());
}

TEST_F(TimerTest, SecondStartStopsTheFirstEvent)
{
    ASSERT_EQ(startTimer(), 1);
    fake.nextId = 8;
    fake.calls.clear();
    EXPECT_EQ(startTimer(), 1);
    EXPECT_EQ(fake.calls, (Calls{"kill 7", "end 1", "caps", "begin 1", "start 1 1"}));
}

TEST_F(TimerTest, StopTwiceAnswersOneBothTimes)
{
    EXPECT_EQ(stopTimer(), 1);
    EXPECT_EQ(stopTimer(), 1);
}

TEST(TimerCount, StopsAtTheLimitAndReadsNegativeAbove31Bits)
{
    timerTCnt = MaxTCnt - 1;
    timerTick();
    EXPECT_EQ(timerTCnt.load(), MaxTCnt);
    timerTick();
    EXPECT_EQ(timerTCnt.load(), MaxTCnt);
    EXPECT_LT(static_cast<int32_t>(timerTCnt.load()), 0);
    clearTimerCount();
    EXPECT_EQ(timerTCnt.load(), 0u);
}

// The real tick thread: counts, survives resets from another thread, stops and joins.
TEST(TimerThread, CountsAndTakesResetsWhileRunning)
{
    clearTimerCount();
    ASSERT_EQ(startTimer(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const uint32_t first = timerTCnt.load();
    EXPECT_GE(first, 30u);
    EXPECT_LE(first, 1000u);
    for (int i = 0; i < 200; ++i)
        clearTimerCount();
    EXPECT_LT(timerTCnt.load(), first);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GT(timerTCnt.load(), 0u);
    EXPECT_EQ(stopTimer(), 1);
    const uint32_t stopped = timerTCnt.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(timerTCnt.load(), stopped);
}
