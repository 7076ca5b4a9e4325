// The tune over an accompaniment and its weight in the frames, and the keys the numerals are
// read in along the chords.
#include "core/base/keycodes.h"
#include "core/chords/chordmodel.h"
#include "core/chords/melodyline.h"
#include "core/chords/numeralkeys.h"

#include <gtest/gtest.h>

using namespace tunedeck;
using namespace tunedeck::chords;

namespace {

constexpr std::int64_t Beat = 480;

// Four beats of C major struck together on track 3, and a part on track 2; by start.
std::vector<SpanNote> withChords(const std::vector<SpanNote> &part)
{
    std::vector<SpanNote> notes = {{0, 4 * Beat, 48, 3}, {0, 4 * Beat, 52, 3}, {0, 4 * Beat, 55, 3}};
    notes.insert(notes.end(), part.begin(), part.end());
    return notes;
}

TEST(MelodyLine, OnlyAOneNoteLineAboveTheLowestPartOverChords)
{
    struct Case {
        const char *what;
        std::vector<SpanNote> notes;
        std::vector<int> lines;
    };
    const std::vector<SpanNote> tune = {{0, Beat, 72, 2}, {Beat, 3 * Beat / 2, 74, 2}, {3 * Beat / 2, 5 * Beat / 2, 76, 2}};
    std::vector<SpanNote> chorale = tune;
    chorale.push_back({0, 4 * Beat, 60, 3});
    chorale.push_back({0, 4 * Beat, 55, 4});
    const Case cases[] = {
        {"a tune over chords", withChords(tune), {2}},
        {"voices alone, no chords", chorale, {}},
        {"a bass line under chords", withChords({{0, 2 * Beat, 36, 2}, {2 * Beat, 4 * Beat, 31, 2}}), {}},
        {"chords over chords", withChords({{0, Beat, 72, 2}, {0, Beat, 76, 2}}), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(melodyTracks(c.notes), c.lines) << c.what;
}

TEST(MelodyLine, ItsShortAndOffBeatNotesCountLessInTheFrames)
{
    // On the beat for a beat, on the beat for half a beat, off the beat across a beat.
    const std::vector<SpanNote> notes =
        withChords({{0, Beat, 74, 2}, {Beat, 3 * Beat / 2, 77, 2}, {5 * Beat / 2, 7 * Beat / 2, 81, 2}});
    const std::vector<SpanNote> passing = passingNotes(notes, BeatGrid{Beat, 0});
    ASSERT_EQ(passing.size(), 2u);
    std::vector<FrameFeatures> frames = frameFeatures(notes, 0, Beat, 4);
    discount(frames, 0, Beat, passing, 0.75);
    const double quarter = 0.25 * double(Beat);
    struct Case {
        std::size_t frame, pc;
        double sounding;
    };
    const Case cases[] = {
        {0, 2, double(Beat)},   // D, on the beat for a beat
        {1, 5, quarter / 2},    // F, half a beat
        {2, 9, quarter / 2},    // A, its first half...
        {3, 9, quarter / 2},    // ...and its second, across the beat
        {2, 0, double(Beat)},   // the chord's C
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(frames[c.frame].sounding[c.pc], c.sounding) << c.frame << ' ' << c.pc;
    EXPECT_EQ(frames[1].bass, frameFeatures(notes, 0, Beat, 4)[1].bass);
}

// Local keys of a window each, and chords of a beat each.
profile::ProfileAnalysis windows(std::initializer_list<int> keys, std::int64_t window = Beat)
{
    profile::ProfileAnalysis p;
    p.keyCode = *keys.begin();
    p.windowTicks = window;
    p.windowKeys = keys;
    return p;
}

std::vector<KeyedChord> barsOf(std::initializer_list<harmony::Chord> chords)
{
    std::vector<KeyedChord> out;
    for (const harmony::Chord &c : chords)
        out.push_back({std::int64_t(out.size()) * Beat, std::int64_t(out.size() + 1) * Beat, harmony::chordClass(c)});
    return out;
}

TEST(NumeralKeys, FollowTheChordsWhereTheyCadenceInAnotherKey)
{
    using harmony::Quality;
    const int C = keyCodeOf(0, false), G = keyCodeOf(7, false);
    const harmony::Chord cMaj{0, Quality::Major, 0}, gMaj{7, Quality::Major, 0}, fMaj{5, Quality::Major, 0},
        d7{2, Quality::Dominant7, 0}, aMin{9, Quality::Minor, 0};
    const NumeralKeyWeights weights;
    // The local keys stay in C while the chords cadence twice in G: V7 I V7 I.
    EXPECT_EQ(numeralKeys(barsOf({cMaj, fMaj, d7, gMaj, d7, gMaj}), windows({C, C, C, C, C, C}), fittedKeyPrior(), 480,
                          weights),
              (std::vector<int>{C, C, G, G, G, G}));
    // Where the chords leave it open (I V I V, or IV I IV I), the local keys hold.
    EXPECT_EQ(numeralKeys(barsOf({cMaj, gMaj, cMaj, gMaj}), windows({G, G, G, G}), fittedKeyPrior(), 480, weights),
              (std::vector<int>{G, G, G, G}));
    // Without local keys, the whole file's.
    profile::ProfileAnalysis none;
    none.keyCode = G;
    EXPECT_EQ(numeralKeys(barsOf({cMaj, d7}), none, fittedKeyPrior(), 480, weights), (std::vector<int>{G, G}));
}

} // namespace
