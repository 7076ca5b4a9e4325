// Event intake in states that only huge inputs reach; built on a private engine, set
// up directly, since feeding billions of events is no test.
#include "eventintake.h"
#include "tonalyte/instance.h"
#include "testlog.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace tonalyte;

namespace {

constexpr int On = 0x90, Off = 0x80;

std::vector<std::string> readLines(const std::string &path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Engine freshEngine(bool detectMode = true)
{
    Engine e = loadedEngine();
    clearEngine(e);
    e.detectMode = detectMode;
    return e;
}

// A C major scale, each note 400 ticks, as the fast feed gives it.
void feedScale(Engine &e, int32_t &t)
{
    for (int note : {60, 62, 64, 65, 67, 69, 71}) {
        EXPECT_NE(feedAtTime(e, t, On, note, 100), -1);
        t += 400;
        EXPECT_NE(feedAtTime(e, t, Off, note, 0), -1);
    }
}

} // namespace

TEST(IntakeLimits, DetectionCounterOverflowRejectsEveryCountedEvent)
{
    Engine e = freshEngine();
    int32_t t = 0;
    feedScale(e, t);
    ASSERT_EQ(e.heldDecision.keyCode, 160);

    e.detectCnt = INT32_MAX;
    const int32_t timelineBefore = e.keyTimeline[0].keyCode;
    EXPECT_EQ(feedAtTime(e, t, On, 72, 90), -1);
    EXPECT_LT(e.detectCnt, 0);
    EXPECT_EQ(e.keyTimeline[0].keyCode, timelineBefore);
    // The note itself was taken: the event was processed up to the statistics.
    EXPECT_EQ(e.noteState[72].onCnt, 1);
    EXPECT_EQ(feedAtTime(e, t + 10, Off, 72, 0), -1);
}

TEST(IntakeLimits, SixteenBitNoteCountWrapsWithoutHarm)
{
    Engine e = freshEngine();
    e.noteState[60] = {INT16_MAX, 5, 5};
    EXPECT_EQ(feedAtTime(e, 10, On, 60, 100), 0);
    EXPECT_EQ(e.noteState[60].onCnt, INT16_MIN);
    // A wrapped count reads as not sounding: no cut, no duration, nothing indexed wrongly.
    EXPECT_EQ(feedAtTime(e, 5000, On, 62, 100), 0);
    EXPECT_EQ(e.pcDur[0], 0);
    EXPECT_EQ(feedAtTime(e, 5001, Off, 60, 0), 0);
    EXPECT_EQ(e.pcDur[0], 0);
}

TEST(IntakeLimits, DurationsPastTwoToTheThirtyFirstGiveNoKey)
{
    Engine e = freshEngine();
    int32_t t = 0;
    feedScale(e, t);
    ASSERT_EQ(e.heldDecision.keyCode, 160);
    // A sum near the top of 32 bits: the next duration wraps the total.
    e.pcDur[0] = INT32_MAX - 100;
    EXPECT_EQ(feedAtTime(e, t, On, 64, 100), 160);
    const int32_t result = feedAtTime(e, t + 400, Off, 64, 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(e.keyType, 0);
    EXPECT_FLOAT_EQ(e.fitRatio, 1.0f);
}

TEST(IntakeLimits, NegativeDurationAddsNothing)
{
    Engine e = freshEngine();
    e.timeTCnt = 1000;
    EXPECT_EQ(feedEvent(e, On, 60, 100), 0);
    // Mixing feeds can move the time backwards; the note then lends no time.
    e.timeTCnt = 10;
    EXPECT_EQ(feedEvent(e, Off, 60, 0), 0);
    EXPECT_EQ(e.pcDur[0], 0);
    EXPECT_EQ(e.noteState[60].onCnt, 0);
    EXPECT_EQ(e.noteState[60].startTime, 0);
}

TEST(IntakeLimits, TimePastTheLimitIsRefusedInTheRealTimeFeed)
{
    Engine e = freshEngine();
    e.timeTCnt = static_cast<int32_t>(MaxTCnt); // negative as a signed value
    EXPECT_EQ(feedEvent(e, On, 60, 100), -1);
    EXPECT_EQ(e.noteState[60].onCnt, 0);
    e.timeTCnt = static_cast<int32_t>(MaxTCnt - 1);
    EXPECT_EQ(feedEvent(e, On, 60, 100), 0);
}

TEST(IntakeTimeline, RestartMarksTheStartOfTheNextRegion)
{
    Engine e = freshEngine();
    int32_t t = 0;
    feedScale(e, t); // C major from 0 to 2800
    // An F sharp breaks the fit and marks its note-on as the next region's start.
    const int32_t fsOn = t;
    feedAtTime(e, t, On, 66, 100);
    t += 400;
    EXPECT_EQ(feedAtTime(e, t, Off, 66, 0), 0);
    EXPECT_EQ(e.pendingStart, fsOn);
    // G major then settles: its first acceptance opens timeline entry 1 at the F sharp.
    for (int note : {67, 69, 71, 60, 62, 64, 66}) {
        feedAtTime(e, t, On, note, 100);
        t += 400;
        feedAtTime(e, t, Off, note, 0);
    }
    EXPECT_EQ(e.heldDecision.keyCode, 167);
    ASSERT_EQ(e.timelineLen, 2);
    EXPECT_EQ(e.keyTimeline[0].time, 0);
    EXPECT_EQ(e.keyTimeline[0].keyCode, 160);
    EXPECT_EQ(e.keyTimeline[1].time, fsOn);
    EXPECT_EQ(e.keyTimeline[1].keyCode, 167);
    EXPECT_EQ(e.pendingStart, -1);
}

TEST(TestLog, OneLinePerMessageInTheTemporaryDirectory)
{
    const std::string path = testLogPath();
    std::remove(path.c_str());
    Engine e = loadedEngine();
    writeTestLog(e, "not written");
    EXPECT_FALSE(std::ifstream(path).good());
    e.testOn = true;
    writeTestLog(e, "first");
    writeTestLog(e, "second");
    EXPECT_EQ(readLines(path), (std::vector<std::string>{"first", "second"}));
    std::remove(path.c_str());
}

// Engines side by side keep their own logs: one engine's rejected event is not another's line.
TEST(TestLog, EachInstanceWritesItsOwnLog)
{
    const std::string a = testLogPath() + ".a", b = testLogPath() + ".b";
    std::remove(a.c_str());
    std::remove(b.c_str());
    Instance one, two;
    one.setTestLogPath(a);
    two.setTestLogPath(b);
    one.setTestOn(1);
    two.setTestOn(1);
    EXPECT_EQ(one.setTrkEvsF(0, 0xB0, 60, 100), -1);
    EXPECT_EQ(two.setTrkEvsF(0, 0x90, 0, 100), -1);
    EXPECT_EQ(readLines(a), (std::vector<std::string>{"(EvCod != 0x90) && (EvCod != 0x80)"}));
    EXPECT_EQ(readLines(b), (std::vector<std::string>{"EvCao <= 0 || EvVel < 0"}));
    std::remove(a.c_str());
    std::remove(b.c_str());
}
