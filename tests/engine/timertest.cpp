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
    uint32_t startPeriodic(uint32_t delay, uint32_t period, Callback, void *) override
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
    TickTimer timer;
    void SetUp() override { timer.setSource(&fake); }
    void TearDown() override
    {
        timer.stop();
        timer.setSource(nullptr);
    }
    int32_t startTimer() { return timer.start(); }
    int32_t stopTimer() { return timer.stop(); }
    bool timerRunning() const { return timer.running(); }
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
    TickTimer timer;
    timer.setCount(MaxTCnt - 1);
    timer.tick();
    EXPECT_EQ(timer.count(), MaxTCnt);
    timer.tick();
    EXPECT_EQ(timer.count(), MaxTCnt);
    EXPECT_LT(static_cast<int32_t>(timer.count()), 0);
    timer.clearCount();
    EXPECT_EQ(timer.count(), 0u);
}

// The real tick threads: each counts for its own timer, survives resets from another thread,
// stops and joins.
TEST(TimerThread, CountsAndTakesResetsWhileRunning)
{
    TickTimer timer, other;
    ASSERT_EQ(timer.start(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const uint32_t first = timer.count();
    EXPECT_GE(first, 30u);
    EXPECT_LE(first, 1000u);
    EXPECT_EQ(other.count(), 0u);
    ASSERT_EQ(other.start(), 1);
    for (int i = 0; i < 200; ++i)
        timer.clearCount();
    EXPECT_LT(timer.count(), first);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GT(timer.count(), 0u);
    EXPECT_GT(other.count(), 0u);
    EXPECT_EQ(timer.stop(), 1);
    const uint32_t stopped = timer.count();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(timer.count(), stopped);
    EXPECT_TRUE(other.running());
}
