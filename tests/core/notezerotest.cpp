// Note 0, which the library refuses, wherever the library is fed: the fast run, a play's live
// feed, a seek's rebuild and the live trace leave it out and count it, so that one such note
// no longer costs a file its key. A file with one is analysed as the same file without it.
#include "core/analysis/analysisjson.h"
#include "core/playback/livetrace.h"
#include "core/playback/midioutput.h"
#include "core/playback/playlist.h"
#include "core/playback/realtimesession.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "manualticks.h"
#include "midiwriter.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tunedeck;

namespace {

constexpr int DrumChannel10 = 9;

// What a file holds besides its C major cadences.
enum class Zero { None, Pitched, Drum };

// Four rounds of a broken C major cadence on channel 1 (18 quarter notes each); with a note 0
// twice, under the first two notes and under one of the second round, on channel 1 or on the
// drums' channel 10. The other notes' times are the same either way.
midiwriter::File cadences(Zero zero)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    const int channel = zero == Zero::Drum ? DrumChannel10 : 0;
    const auto under = [&](int round, int i) {
        if (zero == Zero::None)
            return;
        if ((round == 0 && i == 0) || (round == 1 && i == 5))
            t.noteOn(channel, 0, 80);
        if ((round == 0 && i == 2) || (round == 1 && i == 6))
            t.noteOff(channel, 0);
    };
    for (int round = 0; round < 4; ++round) {
        int i = 0;
        for (int note : {48, 52, 55, 60, 53, 57, 60, 65, 55, 59, 62, 65, 67, 71, 72, 67, 64, 60}) {
            under(round, i++);
            t.note(0, note, 90, 240);
        }
    }
    return f;
}

// Nothing but note 0, twice; without it, a controller at its times.
midiwriter::File alone(Zero zero)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int i = 0; i < 2; ++i) {
        if (zero == Zero::None)
            t.controlChange(0, 7, 100).wait(480).controlChange(0, 7, 100);
        else
            t.note(0, 0, 80, 480);
    }
    return f;
}

struct Case {
    const char *name;
    midiwriter::File (*make)(Zero);
    Zero zero;
    TrackChoice tracks;
    int transpose;
    std::int32_t key; // Tonalyte's, in every feed; 0 for none
    int noteZero;     // note-ons of note 0 left out
    int transposed;   // note-ons the transposition pushed out of 1..127
    int heard;        // note-ons of note 0 a play sounds
};

const Case Cases[] = {
    {"scale and note 0", cadences, Zero::Pitched, {}, 0, 160, 2, 0, 2},
    {"note 0 alone", alone, Zero::Pitched, {}, 0, 0, 2, 0, 2},
    {"note 0 moved up into range", cadences, Zero::Pitched, {}, 2, 162, 0, 0, 0},
    {"note 0 moved down out of range", cadences, Zero::Pitched, {}, -3, 169, 0, 2, 0},
    {"a drum's note 0, which no transposition moves", cadences, Zero::Drum, {false, 0}, 2, 162, 2, 0, 2},
    {"a drum's note 0 with the drums left out", cadences, Zero::Drum, {}, 0, 160, 0, 0, 2},
};

FastOptions optionsOf(const Case &c)
{
    FastOptions o;
    o.tracks = c.tracks;
    o.adjust.transpose = c.transpose;
    return o;
}

OpenFile opened(const midiwriter::File &f)
{
    OpenFile file;
    EXPECT_TRUE(file.openBytes(f.bytes()));
    return file;
}

// Sounds nothing; keeps the list as the output would send it.
struct ListOutput : MidiOutput {
    std::vector<TimedEvent> events;
    void open() override { events.clear(); }
    void append(const TimedEvent &event) override { events.push_back(event); }
    void play() override {}
    void playFrom(std::int32_t) override {}
    void stop() override {}
    void close() override {}
};

struct Player : AnswerView {
    std::vector<TonalyteAnswer> answers;
    void showAnswer(const TonalyteAnswer &key, std::int64_t) override { answers.push_back(key); }
};

struct NoteZeroTest : ::testing::Test {
    ManualTicks ticks;
    LinkedTonalyte engine;

    void SetUp() override { engine.setTickSource(&ticks); }
    void TearDown() override { engine.setTickSource(nullptr); }
};

} // namespace

TEST_F(NoteZeroTest, FastRunLeavesNoteZeroOutAndCountsIt)
{
    for (const Case &c : Cases) {
        SCOPED_TRACE(c.name);
        AnalysisChoices choices;
        choices.fast = optionsOf(c);
        const FileAnalysis a = analyseBytes(engine, c.make(c.zero).bytes(), choices);
        EXPECT_EQ(a.run.outcome, c.key == 0 ? FastOutcome::NoData : FastOutcome::Reported);
        EXPECT_TRUE(succeeded(a));
        EXPECT_EQ(a.run.keyCode, c.key);
        EXPECT_EQ(a.run.noteZeroLeftOut, c.noteZero);
        EXPECT_EQ(a.run.leftOut, c.transposed);
        EXPECT_TRUE(std::none_of(a.run.events.begin(), a.run.events.end(), [](const NoteEvent &e) { return e.note == 0; }));
        EXPECT_EQ(labelTexts(a).error, "");

        const nlohmann::json json = analysisJson(a);
        EXPECT_EQ(json.contains("noteZeroLeftOut"), c.noteZero > 0);
        if (c.noteZero == 0)
            continue;
        EXPECT_EQ(json["noteZeroLeftOut"], c.noteZero);
        // Both analyses read the file as if it had no note 0.
        const FileAnalysis without = analyseBytes(engine, c.make(Zero::None).bytes(), choices);
        nlohmann::json rest = json;
        rest.erase("noteZeroLeftOut");
        EXPECT_EQ(rest, analysisJson(without));
    }
}

// A play sounds the note 0 but never feeds it: the library answers every other note, and the
// play goes on to the end with the key the fast run names.
TEST_F(NoteZeroTest, PlayFeedsEveryNoteButNoteZero)
{
    for (const Case &c : Cases) {
        SCOPED_TRACE(c.name);
        const OpenFile file = opened(c.make(c.zero));
        ListOutput output;
        Player player;
        RealTimeSession session(engine, &output, player);
        session.prepare();
        ASSERT_TRUE(session.compose(file, c.tracks, {c.transpose, 100}));
        EXPECT_EQ(session.noteZeroLeftOut(), c.noteZero);
        EXPECT_EQ(session.leftOut(), c.transposed);
        // Still heard: the list holds the note, untagged, as it holds a controller.
        const auto sounding = std::count_if(output.events.begin(), output.events.end(), [](const TimedEvent &e) {
            return (e.status & 0xF0) == 0x90 && e.data1 == 0 && e.data2 > 0;
        });
        EXPECT_EQ(sounding, c.heard);

        ASSERT_TRUE(session.start(false));
        std::int64_t now = 0;
        std::size_t tagged = 0;
        for (const TimedEvent &e : channelMessagesInPlayOrder(output.events)) {
            EXPECT_FALSE(e.tag > 0 && e.data1 == 0);
            if (e.tag == 0)
                continue;
            ticks.advance(e.ms - now);
            now = e.ms;
            session.played(e.tag);
            ++tagged;
        }
        session.stop();
        ASSERT_EQ(player.answers.size(), tagged);
        EXPECT_TRUE(std::none_of(player.answers.begin(), player.answers.end(),
                                 [](const TonalyteAnswer &k) { return k.keyCode < 0; }));
        if (c.key != 0) {
            EXPECT_EQ(player.answers.back().keyCode, c.key);
        }
    }
}

// A seek rebuilds the library from the notes before the point, and the live trace feeds the
// play's notes at their times: neither meets a note 0.
TEST_F(NoteZeroTest, SeekAndLiveTraceNeverMeetNoteZero)
{
    for (const Case &c : Cases) {
        SCOPED_TRACE(c.name);
        const OpenFile file = opened(c.make(c.zero));
        Player player;
        RealTimeSession session(engine, nullptr, player);
        ASSERT_TRUE(session.compose(file, c.tracks, {c.transpose, 100}));
        const RebuiltState rebuilt = session.seek(session.length() + 1, false, false);
        EXPECT_FALSE(rebuilt.refused);
        EXPECT_EQ(rebuilt.key.keyCode, c.key);

        const auto trace = liveTrace(engine, file, optionsOf(c));
        ASSERT_TRUE(trace);
        ASSERT_FALSE(trace->empty());
        EXPECT_EQ(trace->back().tonalyte, c.key);
        EXPECT_TRUE(std::none_of(trace->begin(), trace->end(), [](const LiveTracePoint &p) { return p.tonalyte < 0; }));
    }
}

// Only what the library refuses is left out: notes 1 and 127, the range's ends, are fed.
TEST(NoteZero, OnlyNoteZeroIsLeftOut)
{
    std::vector<NoteEvent> events;
    for (int note : {0, 1, 64, 127, 0})
        for (bool on : {true, false})
            events.push_back(makeNoteEvent(note, on ? 0x90 : 0x80, note, on ? 90 : 0, 2));
    EXPECT_EQ(leaveOutRefusedNotes(events), 2);
    std::vector<int> kept;
    for (const NoteEvent &e : events)
        kept.push_back(e.note);
    EXPECT_EQ(kept, (std::vector<int>{1, 1, 64, 64, 127, 127}));
}
