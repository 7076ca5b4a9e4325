// The live trace: its line's fields in order, the confidences rounded to three decimals; what
// a play shows at each second.
#include "core/tonalyte/linkedtonalyte.h"
#include "midiwriter.h"
#include "core/playback/livetrace.h"

#include <gtest/gtest.h>

using namespace tunedeck;

TEST(LiveTraceLine, WritesEveryFieldInOrder)
{
    struct Case {
        LiveTracePoint point;
        const char *line;
    };
    const Case cases[] = {
        {{0, 0, 0, {0, 0.0, false}, 0, 0, false},
         R"({"second":0,"tick":0,"tonalyte":0,"profile":0,"confidence":0,"sure":false,"local":0,"localConfidence":0})"},
        {{12, 23040, 160, {160, 0.5, true}, 167, 0.81249, false},
         R"({"second":12,"tick":23040,"tonalyte":160,"profile":160,"confidence":0.5,"sure":true,"local":167,"localConfidence":0.812})"},
        {{3, 5760, 69, {69, 0.12349, false}, 69, 0.0005, false},
         R"({"second":3,"tick":5760,"tonalyte":69,"profile":69,"confidence":0.123,"sure":false,"local":69,"localConfidence":0.001})"},
        {{5, 9600, -1, {171, 0.99951, true}, 171, 0.99951, true},
         R"({"second":5,"tick":9600,"tonalyte":-1,"profile":171,"confidence":1,"sure":true,"local":171,"localConfidence":1,"listened":true})"},
        {{4000000000, 8000000000, 71, {71, 0.0704, true}, 60, 1, false},
         R"({"second":4000000000,"tick":8000000000,"tonalyte":71,"profile":71,"confidence":0.07,"sure":true,"local":60,"localConfidence":1})"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(liveTraceLine(c.point), c.line);
}

// A play shows the key of the moment from the whole-file analysis: twinkle-modulating's G major
// section (24 s in the middle of C major) while it plays, moved with a transposition.
TEST(LiveTrace, PlayShowsTheLocalKeyAtItsPosition)
{
    OpenFile file;
    ASSERT_TRUE(file.open(TUNEDECK_TEST_EXAMPLES "/twinkle-modulating.mid").has_value());
    LinkedTonalyte engine;
    for (const int transpose : {0, 2}) {
        SCOPED_TRACE(transpose);
        FastOptions options;
        options.adjust.transpose = transpose;
        const auto trace = liveTrace(engine, file, options);
        ASSERT_TRUE(trace);
        ASSERT_GE(trace->size(), 70u);
        const int c = 160 + transpose, g = 167 + transpose;
        for (const LiveTracePoint &p : *trace) {
            const int expected = p.second < 22 || p.second >= 50 ? c : p.second >= 26 && p.second < 46 ? g : 0;
            if (expected != 0) {
                EXPECT_EQ(p.local, expected) << "second " << p.second;
            }
            EXPECT_GT(p.localConfidence, 0);
            EXPECT_LE(p.localConfidence, 1);
            EXPECT_FALSE(p.listened);
        }
    }
}

// A file over the 64,000-event buffer plays on: past the notes the whole-file analysis holds,
// the play shows the listening tracker's reading, marked as such.
TEST(LiveTrace, PastTheBufferThePlayShowsWhatIsHeard)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int chord = 0; chord < 8100; ++chord) { // 8 notes an eighth: 129,600 events, 2,025 s
        const int tonic = chord < 4000 ? 60 : 67;
        for (int note : {0, 4, 7, 12, 16, 19, 24, 28})
            t.noteOn(0, tonic + note - 12, 90);
        t.wait(240);
        for (int note : {0, 4, 7, 12, 16, 19, 24, 28})
            t.noteOff(0, tonic + note - 12);
    }
    OpenFile file;
    ASSERT_TRUE(file.openBytes(f.bytes()).has_value());
    LinkedTonalyte engine;
    const auto trace = liveTrace(engine, file, FastOptions{});
    ASSERT_TRUE(trace);
    // The buffer holds the first 4,000 chords, whose last note ends at 1,000 s.
    for (const LiveTracePoint &p : *trace) {
        EXPECT_EQ(p.listened, p.second >= 1000) << "second " << p.second;
        if (p.second < 990) {
            EXPECT_EQ(p.local, 160) << "second " << p.second;
        }
        if (p.listened) {
            EXPECT_EQ(p.local, p.profile.keyCode);
            EXPECT_EQ(p.localConfidence, p.profile.confidence);
        }
    }
    EXPECT_EQ(trace->back().local, 167);
}
