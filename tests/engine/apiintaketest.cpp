// Event intake: note bookkeeping, rejections and their log lines, the worked run.
#include "apitest.h"

#include <ostream>

#include <climits>

namespace tonalyte_test {
namespace {

TEST_F(EngineApiTest, WorkedRunEventByEvent) {
    const int32_t notes[9] = {60, 62, 64, 65, 67, 69, 71, 72, 66};
    auto play = [&](int32_t i, int32_t onResult, int32_t offResult) {
        EXPECT_EQ(On(400 * i, notes[i]), onResult) << "note-on of " << notes[i];
        EXPECT_EQ(Off(400 * (i + 1), notes[i]), offResult) << "note-off of " << notes[i];
    };
    for (int32_t i = 0; i < 5; ++i)
        play(i, 0, 0);
    EXPECT_EQ(k->KeyGetInpTCnt(), 5);
    EXPECT_EQ(k->KeyGetTapCnt(), 0);

    // Sixth pitch class: C major and F major tie at 1 of 6 * 400 + 60; the triads pick F major.
    play(5, 0, 165);
    EXPECT_EQ(k->KeyGetTapCnt(), 2);
    EXPECT_EQ(k->KeyGetKeyType(), 1);
    EXPECT_EQ(k->KeyGetSsMinCur(), static_cast<float>(1.0 / 2460));
    EXPECT_EQ(Stats().counts[5], 1);
    Timeline t = ReadTimeline();
    EXPECT_EQ(t.keys[0], 165);
    EXPECT_EQ(t.times[0], 0);
    EXPECT_EQ(t.times[1], -1);

    // B completes C major with a perfect fit; entry 0 is rewritten, not appended.
    play(6, 165, 160);
    EXPECT_EQ(k->KeyGetTapCnt(), 1);
    EXPECT_EQ(k->KeyGetKeyType(), 1);
    EXPECT_EQ(k->KeyGetSsMinCur(), 0.0f);
    t = ReadTimeline();
    EXPECT_EQ(t.keys[0], 160);
    EXPECT_EQ(t.keys[1], 0);

    play(7, 160, 160);
    KeyStats s = Stats();
    EXPECT_EQ(s.detected, 5);
    EXPECT_EQ(s.counts[0], 3);
    EXPECT_EQ(s.counts[5], 2);
    t = ReadTimeline();
    EXPECT_EQ(t.full, 0);
    EXPECT_EQ(t.keys[0], 160);
    EXPECT_EQ(t.times[0], 0);
    EXPECT_EQ(t.keys[1], 0);
    EXPECT_EQ(t.times[1], -1);

    // F sharp: C major and G major tie at 400 with eight pitch classes, so no key, and
    // 400 / 3660 is worse than the held 0: restart with F sharp's 400 alone.
    play(8, 160, 0);
    EXPECT_EQ(k->KeyGetInpTCnt(), 1);
    EXPECT_EQ(k->KeyGetTapCnt(), 2);
    EXPECT_EQ(k->KeyGetKeyType(), 0);
    EXPECT_EQ(k->KeyGetSsMinCur(), static_cast<float>(400.0 / 3660));
    s = Stats();
    EXPECT_EQ(s.detected, 6);
    EXPECT_EQ(s.counts[0], 4);
    EXPECT_EQ(s.counts[5], 2);
    EXPECT_EQ(k->KeyGetHaCode(), 0);
    t = ReadTimeline();
    EXPECT_EQ(t.keys[0], 160);
    EXPECT_EQ(t.times[1], -1);
}

struct Step {
    int32_t time, cod, note, vel;
    int32_t result;
    int32_t pitchClasses;  // KeyGetInpTCnt after the call
};

struct Script {
    const char *name;
    std::vector<Step> steps;
    std::vector<std::string> log;
    friend void PrintTo(const Script &s, std::ostream *os) { *os << s.name; }
};

constexpr int32_t ON = kNoteOn, OFF = kNoteOff;
const std::string kTimeBack = "plTime < TimeTCnt";
const std::string kBadNote = "EvCao <= 0 || EvVel < 0";
const std::string kBadStatus = "(EvCod != 0x90) && (EvCod != 0x80)";

const Script kScripts[] = {
    {"SameTickNoteOffAddsNothing", {{0, ON, 60, 100, 0, 0}, {0, OFF, 60, 0, 0, 0}}, {}},
    {"SecondNoteOffAddsFromFirstNoteOn",
     {{0, ON, 60, 100, 0, 0}, {300, ON, 60, 100, 0, 0}, {500, OFF, 60, 0, 0, 0}, {700, OFF, 60, 0, 0, 1}},
     {}},
    {"CutOnlyAfterMoreThan2000", {{0, ON, 60, 100, 0, 0}, {2000, ON, 62, 100, 0, 0}, {2001, ON, 64, 100, 0, 1}}, {}},
    // 64 started first, but the scan is by note number; C's release at the cut adds nothing more.
    {"OnlyTheLowerNoteIsCut",
     {{0, ON, 64, 100, 0, 0},
      {100, ON, 60, 100, 0, 0},
      {2500, ON, 62, 100, 0, 1},
      {2500, OFF, 60, 0, 0, 1},
      {2600, ON, 65, 100, 0, 2}},
     {}},
    {"RestruckNoteCutsItself", {{0, ON, 60, 100, 0, 0}, {2500, ON, 60, 100, 0, 1}}, {}},
    {"Velocity200IsANoteOn", {{0, ON, 60, 200, 0, 0}, {500, OFF, 60, 0, 0, 1}}, {}},
    {"NoteOnWithVelocity0IsANoteOff", {{0, ON, 60, 100, 0, 0}, {500, ON, 60, 0, 0, 1}}, {}},
    {"NoteOffWithVelocity64", {{0, ON, 60, 100, 0, 0}, {500, OFF, 60, 64, 0, 1}}, {}},
    {"Status128NeverStartsANote", {{0, OFF, 60, 100, 0, 0}, {500, OFF, 60, 0, 0, 0}}, {}},
    {"NoteOffOfAnotherNote", {{0, ON, 60, 100, 0, 0}, {500, OFF, 61, 0, 0, 0}}, {}},
    // 0x190, 316 and 356 are 0x90, 60 and 100 in their low bytes; velocity 256 is 0.
    {"OnlyTheLowBytesCount", {{0, 0x190, 316, 356, 0, 0}, {500, 0x190, 60, 256, 0, 1}}, {}},
    // The rejected note-on of 64 never starts the note; 99 is still before the kept 100.
    {"TimeGoingBackIsRejected",
     {{100, ON, 60, 100, 0, 0},
      {100, ON, 62, 100, 0, 0},
      {50, ON, 64, 100, -1, 0},
      {99, OFF, 60, 0, -1, 0},
      {100, OFF, 64, 0, 0, 0},
      {500, OFF, 60, 0, 0, 1}},
     {kTimeBack, kTimeBack}},
    {"RejectedStatusStillAdvancesTime",
     {{200, 176, 60, 100, -1, 0}, {150, ON, 60, 100, -1, 0}, {200, ON, 60, 100, 0, 0}},
     {kBadStatus, kTimeBack}},
    // The note is checked before the status.
    {"NoteZeroAndNotesAbove127",
     {{0, ON, 0, 100, -1, 0},
      {0, ON, 128, 100, -1, 0},
      {0, OFF, 255, 0, -1, 0},
      {0, ON, 256, 100, -1, 0},
      {0, 145, 0, 100, -1, 0}},
     {kBadNote, kBadNote, kBadNote, kBadNote, kBadNote}},
    {"OnlyBareNoteStatuses",
     {{0, 145, 60, 100, -1, 0},
      {0, 0x81, 60, 0, -1, 0},
      {0, 0xB0, 60, 100, -1, 0},
      {0, 0, 60, 100, -1, 0},
      {500, OFF, 60, 0, 0, 0}},
     {kBadStatus, kBadStatus, kBadStatus, kBadStatus}},
    // Times are signed: 2,200,000,000 is negative and fails the order check long before
    // the engine's time limit could; the largest positive time still works.
    {"LargestTimes",
     {{static_cast<int32_t>(2200000000u), ON, 60, 100, -1, 0},
      {2147483000, ON, 60, 100, 0, 0},
      {INT32_MAX, OFF, 60, 0, 0, 1},
      {static_cast<int32_t>(2200000000u), ON, 62, 100, -1, 1}},
     {kTimeBack, kTimeBack}},
};

class EventScript : public LogTest, public ::testing::WithParamInterface<Script> {};

TEST_P(EventScript, ResultsPitchClassesAndLog) {
    int32_t i = 0;
    for (const Step &s : GetParam().steps) {
        EXPECT_EQ(k->KeySetTrkEvsF(s.time, s.cod, s.note, s.vel), s.result) << "step " << i;
        EXPECT_EQ(k->KeyGetInpTCnt(), s.pitchClasses) << "step " << i;
        ++i;
    }
    EXPECT_EQ(LogLines(), GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(Intake, EventScript, ::testing::ValuesIn(kScripts),
                         [](const auto &p) { return std::string(p.param.name); });

TEST_F(LogTest, RealTimeFeedRejectsTheSameWay) {
    int32_t d1 = 0, d2 = 0;
    EXPECT_EQ(k->KeySetTrkEvsR(145, 60, 100, &d1, &d2), -1);
    EXPECT_EQ(k->KeySetTrkEvsR(kNoteOn, 0, 100, &d1, &d2), -1);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{kBadStatus, kBadNote}));
}

TEST_F(EngineApiTest, AddedLengthsReachTheScore) {
    // One note after another, 100 ticks each.
    auto melody = [&](int32_t t, std::initializer_list<int32_t> notes) {
        for (int32_t note : notes) {
            On(t, note);
            Off(t + 100, note);
            t += 100;
        }
    };
    // Six pitch classes C..A score 1 against 60 more than their total: C's length shows.
    On(0, 60);
    On(300, 60);
    Off(500, 60);
    Off(700, 60);
    melody(700, {62, 64, 65, 67, 69});
    EXPECT_EQ(k->KeyGetSsMinCur(), static_cast<float>(1.0 / (700 + 500 + 60)));

    // C is cut at 2001 with 2001 so far and adds the other 2999 at its release;
    // D has 101 and E F G A 100 each.
    k->KeyClearEvs();
    On(0, 60);
    On(2000, 62);
    On(2001, 64);
    Off(2101, 62);
    Off(2101, 64);
    melody(2101, {65, 67, 69});
    EXPECT_EQ(k->KeyGetInpTCnt(), 6);
    EXPECT_EQ(k->KeyGetSsMinCur(), static_cast<float>(1.0 / (2001 + 501 + 60)));
    Off(5000, 60);
    EXPECT_EQ(k->KeyGetSsMinCur(), static_cast<float>(1.0 / (5000 + 501 + 60)));
}

class DetectMode : public EngineApiTest, public ::testing::WithParamInterface<int32_t> {};

// After the worked run's restart only F sharp has time, the last accepted key is
// C major with ratio 0, and 6 events were counted.
TEST_P(DetectMode, ChangeWithTooFewPitchClassesAfterARestart) {
    const bool fallBack = GetParam() == 0;
    k->KeySetDetectMode(GetParam());
    k->KeyClearEvs();  // keeps the mode
    FeedWorkedRun();
    ASSERT_EQ(Stats().detected, 6);

    // A note that sounds for no time changes nothing, so nothing falls back either.
    EXPECT_EQ(On(3600, 64), 0);
    EXPECT_EQ(Off(3600, 64), 0);
    EXPECT_EQ(On(3600, 67), 0);
    EXPECT_EQ(Off(4000, 67), fallBack ? 160 : 0);
    EXPECT_EQ(k->KeyGetInpTCnt(), 2);
    EXPECT_EQ(Stats().detected, 6);
    EXPECT_EQ(k->KeyGetSsMinCur(), fallBack ? 0.0f : static_cast<float>(400.0 / 3660));

    // Adds nothing, so it counts for whatever key is now in force.
    EXPECT_EQ(On(4000, 69), fallBack ? 160 : 0);
    EXPECT_EQ(Stats().detected, fallBack ? 7 : 6);
}

INSTANTIATE_TEST_SUITE_P(Modes, DetectMode, ::testing::Values(0, 1));

}  // namespace
}  // namespace tonalyte_test
