// The 1 ms tick timer and the real-time feed that it stamps.
#include "apitest.h"

#include <chrono>
#include <thread>

namespace tonalyte_test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class RealTime : public EngineApiTest {
protected:
    void TearDown() override {
        if (k)
            k->KeyStopTimer();
    }

    int32_t WaitForTicks(int32_t n) {
        for (int i = 0; i < 1000 && k->KeyGetTimeTCnt() < n; ++i)
            std::this_thread::sleep_for(1ms);
        return k->KeyGetTimeTCnt();
    }

    int32_t Real(int32_t cod, int32_t note, int32_t vel) {
        d1 = d2 = 7;
        return k->KeySetTrkEvsR(cod, note, vel, &d1, &d2);
    }

    int32_t d1 = 7, d2 = 7;
};

// Bounds are loose on purpose: the tick thread may be late on a loaded machine, but it
// can never count more milliseconds than have passed.
TEST_F(RealTime, CountsClearsAndStops) {
    const Clock::time_point started = Clock::now();
    ASSERT_EQ(k->KeyStartTimer(), 1);
    std::this_thread::sleep_for(50ms);
    int32_t count = k->KeyGetTimeTCnt();
    EXPECT_GE(count, 10);
    EXPECT_LE(count, MsSince(started) + 5);

    const Clock::time_point cleared = Clock::now();
    k->KeyClearEvs();
    EXPECT_LE(k->KeyGetTimeTCnt(), MsSince(cleared) + 2);
    std::this_thread::sleep_for(30ms);
    count = k->KeyGetTimeTCnt();
    EXPECT_GE(count, 5);
    EXPECT_LE(count, MsSince(cleared) + 5);

    EXPECT_EQ(k->KeyStopTimer(), 1);
    count = k->KeyGetTimeTCnt();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(k->KeyGetTimeTCnt(), count);
    EXPECT_EQ(k->KeyStopTimer(), 1);
    EXPECT_EQ(k->KeyGetTimeTCnt(), count);
}

// A second start must not leave the first tick source running: that would count
// double, and one stop would not stop it.
TEST_F(RealTime, SecondStartReplacesTheFirst) {
    const Clock::time_point started = Clock::now();
    ASSERT_EQ(k->KeyStartTimer(), 1);
    ASSERT_EQ(k->KeyStartTimer(), 1);
    std::this_thread::sleep_for(50ms);
    const int32_t running = k->KeyGetTimeTCnt();
    EXPECT_GE(running, 10);
    EXPECT_LE(running, MsSince(started) + 5);

    EXPECT_EQ(k->KeyStopTimer(), 1);
    const int32_t count = k->KeyGetTimeTCnt();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(k->KeyGetTimeTCnt(), count);
}

TEST_F(RealTime, StoppedTimerStampsEveryEventZero) {
    // The release is stamped with the cleared tick 0, not the fast feed's last time.
    EXPECT_EQ(On(0, 60), 0);
    EXPECT_EQ(On(500, 62), 0);
    EXPECT_EQ(Real(kNoteOff, 60, 0), 0);
    EXPECT_EQ(k->KeyGetInpTCnt(), 0);

    // The whole run sounds for no time at all: nothing is added, no key, the reset pair.
    k->KeyClearEvs();
    for (int32_t note : {60, 62, 64, 65, 67, 69, 71, 72, 66}) {
        for (int32_t cod : {kNoteOn, kNoteOff}) {
            EXPECT_EQ(Real(cod, note, cod == kNoteOn ? 100 : 0), 0) << note;
            EXPECT_EQ(d1, -1);
            EXPECT_EQ(d2, -1);
        }
    }
    EXPECT_EQ(k->KeyGetInpTCnt(), 0);
    EXPECT_EQ(Stats().detected, 0);
    EXPECT_EQ(Real(145, 60, 100), -1);
    EXPECT_EQ(d1, -1);
    EXPECT_EQ(d2, -1);
}

TEST_F(RealTime, DetailPairComesBackThroughTheRealTimeFeed) {
    // Struck at tick 0, released together at a later tick once the timer has stopped.
    for (int32_t note : {60, 62, 64, 65, 67, 69, 71})
        EXPECT_EQ(Real(kNoteOn, note, 100), 0);
    ASSERT_EQ(k->KeyStartTimer(), 1);
    WaitForTicks(2);
    k->KeyStopTimer();
    const int32_t tick = k->KeyGetTimeTCnt();
    ASSERT_GT(tick, 0);

    for (int32_t note : {60, 62, 64, 65, 67}) {
        EXPECT_EQ(Real(kNoteOff, note, 0), 0);
        EXPECT_EQ(d1, -1);
        EXPECT_EQ(d2, -1);
    }
    EXPECT_EQ(Real(kNoteOff, 69, 0), 165);
    EXPECT_EQ(d1, 3);
    EXPECT_EQ(d2, 21);
    EXPECT_EQ(k->KeyGetSsMinCur(), static_cast<float>(1.0 / (6.0 * tick + 60)));
    EXPECT_EQ(Real(kNoteOff, 71, 0), 160);
    EXPECT_EQ(d1, 11);
    EXPECT_EQ(d2, 15);

    // A rejected event still hands back the pair in force.
    EXPECT_EQ(Real(145, 60, 100), -1);
    EXPECT_EQ(d1, 11);
    EXPECT_EQ(d2, 15);
    EXPECT_EQ(k->KeyGetTimeTCnt(), tick);
}

}  // namespace
}  // namespace tonalyte_test
