// Where the harmony may move between beats: what a change costs as the bass and the notes
// move, which beats are decoded in halves, and chords found an eighth apart where the
// harmony moves so fast (a chorale's), but not in a pop song's steady accompaniment.
#include "core/chords/changecost.h"
#include "core/chords/chordanalysis.h"
#include "core/chords/chordsteps.h"

#include <gtest/gtest.h>

#include <string>

using namespace tunedeck;
using namespace tunedeck::chords;

namespace {

constexpr int Tpq = 480;

// A frame holding the pitch classes given for a beat, the first of them in the bass.
FrameFeatures frameOf(std::initializer_list<int> classes)
{
    FrameFeatures f;
    for (int pc : classes)
        f.sounding[std::size_t(pc)] = Tpq;
    if (classes.size() > 0)
        f.bass[std::size_t(*classes.begin())] = Tpq;
    return f;
}

TEST(ChangeCosts, CostLessWhereTheBassAndTheNotesMove)
{
    const ChangeCosts costs{2, 2, 1, 1};
    struct Case {
        const char *what;
        FrameFeatures before, after;
        bool onBeat;
        double cost;
    };
    const Case cases[] = {
        {"all held", frameOf({0, 4, 7}), frameOf({0, 4, 7}), true, 2},
        {"all held between beats", frameOf({0, 4, 7}), frameOf({0, 4, 7}), false, 4},
        {"the bass to another chord tone", frameOf({0, 4, 7}), frameOf({4, 0, 7}), true, 1},
        {"to a chord sharing no note", frameOf({0, 4, 7}), frameOf({2, 5, 9}), true, 0},
        {"after silence", frameOf({}), frameOf({2, 5, 9}), true, 2},
    };
    for (const Case &c : cases) {
        const std::vector<float> out = changeCosts({c.before, c.after}, {true, c.onBeat}, costs);
        EXPECT_FLOAT_EQ(out[1], float(c.cost)) << c.what;
    }
}

// Frames of a beat each from halves: in `moving` beats the second half's bass is a step up.
ChordFrames framesOf(std::initializer_list<bool> moving)
{
    ChordFrames frames;
    frames.length = Tpq;
    for (bool moves : moving) {
        frames.halves.push_back(frameOf({0, 4, 7}));
        frames.halves.push_back(moves ? frameOf({2, 5, 7}) : frameOf({0, 4, 7}));
        FrameFeatures whole = frames.halves[frames.halves.size() - 2];
        for (std::size_t pc = 0; pc < 12; ++pc) {
            whole.sounding[pc] += frames.halves.back().sounding[pc];
            whole.bass[pc] += frames.halves.back().bass[pc];
        }
        frames.features.push_back(whole);
        frames.onBeat.push_back(true);
    }
    frames.inputs = frameInputs(frames.features, double(Tpq));
    return frames;
}

TEST(ChordSteps, SplitsTheBeatsWhoseBassMovesOnlyWhereAsked)
{
    const ChordFrames frames = framesOf({false, true, false});
    const ChordSteps whole = chordSteps(frames, false);
    EXPECT_FALSE(whole.split());
    EXPECT_EQ(whole.ticks, (std::vector<std::int64_t>{0, Tpq, 2 * Tpq, 3 * Tpq}));
    const ChordSteps split = chordSteps(frames, true);
    EXPECT_EQ(split.ticks, (std::vector<std::int64_t>{0, Tpq, 3 * Tpq / 2, 2 * Tpq, 3 * Tpq}));
    EXPECT_EQ(split.onBeat(), (std::vector<bool>{true, true, false, true}));
    EXPECT_EQ(split.frame(2), 1u);
    EXPECT_TRUE(split.half(2));
    EXPECT_FALSE(split.half(3));
    EXPECT_EQ(chordSteps(framesOf({false, false}), true).split(), false);
}

struct Note {
    std::int32_t start, length;
    std::vector<int> pitches;
};

std::vector<NoteEvent> eventsOf(const std::vector<Note> &notes)
{
    std::vector<NoteEvent> events;
    for (const Note &n : notes)
        for (int p : n.pitches) {
            events.push_back({n.start, std::uint8_t(p), 90, true, 0, 2});
            events.push_back({n.start + n.length, std::uint8_t(p), 0, false, 0, 2});
        }
    std::stable_sort(events.begin(), events.end(), [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; });
    return events;
}

std::vector<std::string> chordsOf(const std::vector<Note> &notes)
{
    const std::vector<NoteEvent> events = eventsOf(notes);
    const profile::ProfileAnalysis keys = profile::analyseProfile(events, Tpq, 4 * Tpq);
    std::vector<std::string> out;
    for (const ChordSegment &s : analyseChords(events, {Tpq, 4 * Tpq, 1.0}, keys))
        out.push_back(std::to_string(s.tick) + " " + harmony::harteLabel(s.chord));
    return out;
}

TEST(ChordAnalysis, FindsChordsAnEighthApartWhereTheHarmonyMovesWithTheBassThere)
{
    // A chorale's phrase: C, G/B on the half beat, Am, F, G a beat each and C for two, twice.
    std::vector<Note> notes;
    for (std::int32_t at : {0, 6 * Tpq}) {
        notes.push_back({at, Tpq / 2, {48, 64, 67, 72}});
        notes.push_back({at + Tpq / 2, Tpq / 2, {47, 62, 67, 74}});
        notes.push_back({at + Tpq, Tpq, {45, 64, 69, 72}});
        notes.push_back({at + 2 * Tpq, Tpq, {41, 65, 69, 72}});
        notes.push_back({at + 3 * Tpq, Tpq, {43, 62, 67, 71}});
        notes.push_back({at + 4 * Tpq, 2 * Tpq, {36, 64, 67, 72}});
    }
    const std::vector<std::string> chords = chordsOf(notes);
    ASSERT_GE(chords.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(chords.begin(), chords.begin() + 6),
              (std::vector<std::string>{"0 C:maj", "240 G:maj/3", "480 A:min", "960 F:maj", "1440 G:maj", "1920 C:maj"}));
}

TEST(ChordAnalysis, KeepsASteadyAccompanimentsChordsOnTheBeat)
{
    // A bar each of C, Am, F, G over a bass moving root to fifth every eighth note.
    std::vector<Note> notes;
    const int roots[] = {48, 45, 41, 43};
    for (int round = 0; round < 2; ++round)
        for (int b = 0; b < 4; ++b) {
            const std::int32_t at = (round * 4 + b) * 4 * Tpq;
            const int r = roots[b];
            const int third = r + (b == 1 ? 15 : 16), fifth = r + 19;
            notes.push_back({at, 4 * Tpq, {third, fifth}});
            for (int e = 0; e < 8; ++e)
                notes.push_back({at + e * Tpq / 2, Tpq / 2, {e % 2 == 0 ? r : r + 7}});
        }
    for (const std::string &c : chordsOf(notes))
        EXPECT_EQ(std::stoi(c) % (4 * Tpq), 0) << c;
}

} // namespace
