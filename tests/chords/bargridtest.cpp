// The bars found from the notes: where bar 1 starts and how long a bar is, in pieces that
// start with a pickup, off the grid of tick 0, in three beats, or under a meter they do not
// keep; and the chords and local keys numbered in them.
#include "core/chords/bartracker.h"
#include "core/chords/chordanalysis.h"
#include "core/chords/keysandchords.h"
#include "noteevents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace tunedeck;
using namespace tunedeck::chords;

namespace {

constexpr int Tpq = 480;

using tunedeck::testnotes::Note;
using tunedeck::testnotes::eventsOf;

// I IV V7 vi IV V I V in C from `at`, a chord a bar of `beats` quarters, each beat struck
// (the bass only on the bar's first), with a tune of quarters over it.
std::vector<Note> progression(std::int32_t at, int beats)
{
    const int roots[] = {36, 41, 43, 45, 41, 43, 36, 43};
    const std::vector<std::vector<int>> tones = {{60, 64, 67}, {60, 65, 69}, {59, 62, 65}, {60, 64, 69},
                                                 {60, 65, 69}, {59, 62, 67}, {60, 64, 67}, {59, 62, 67}};
    std::vector<Note> notes;
    const std::int32_t bar = beats * Tpq;
    for (int round = 0; round < 2; ++round)
        for (std::size_t c = 0; c < 8; ++c) {
            const std::int32_t start = at + std::int32_t(round * 8 + int(c)) * bar;
            notes.push_back({start, bar, roots[c]});
            for (int b = 0; b < beats; ++b)
                for (int t : tones[c])
                    notes.push_back({start + b * Tpq, Tpq - 20, t + 12 * (b == 0 ? 0 : 1)});
        }
    return notes;
}

struct Case {
    const char *name;
    std::vector<Note> notes;
    int stated;                // the file's meter in quarters, 0 for none
    std::int64_t ticksPerBar;  // found
    std::int64_t barStart;
    bool pickup;
};

} // namespace

TEST(BarGrid, FindsTheBarsTheMusicKeeps)
{
    std::vector<Note> pickup = progression(Tpq, 4);
    pickup.push_back({0, Tpq, 67}); // a tune's upbeat before the first bar
    std::vector<Note> flat;
    for (std::int32_t b = 0; b < 64; ++b)
        for (int pitch : {48, 60, 64, 67})
            flat.push_back({b * Tpq, Tpq, pitch});
    const std::vector<Case> cases = {
        {"on tick 0", progression(0, 4), 0, 4 * Tpq, 0, false},
        {"a pickup", pickup, 4, 4 * Tpq, Tpq, true},
        {"off the grid of tick 0, after silence", progression(6 * Tpq + 37, 4), 0, 4 * Tpq, 2 * Tpq + 37, false},
        {"three beats", progression(0, 3), 3, 3 * Tpq, 0, false},
        {"three beats, no meter stated", progression(Tpq, 3), 0, 3 * Tpq, Tpq, false},
        {"four beats stated as three", progression(0, 4), 3, 4 * Tpq, 0, false},
        {"three beats stated as four", progression(0, 3), 4, 3 * Tpq, 0, false},
        {"nothing stressed: a chord every beat", flat, 3, 4 * Tpq, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ChordClock clock = musicClock(eventsOf(c.notes), {Tpq, 4 * Tpq, 1.0}, c.stated);
        EXPECT_EQ(clock.ticksPerBar, c.ticksPerBar);
        EXPECT_EQ(clock.barStart, c.barStart);
        EXPECT_EQ(clock.pickup, c.pickup);
    }
}

// A bar of two beats between two rounds of the progression: a performance's bars follow it,
// a score's export (notes on the file's own beats) keeps bars of one length.
TEST(BarGrid, FollowsAShiftOnlyInMusicOffTheFilesBeats)
{
    const struct {
        const char *name;
        std::int32_t at;
        int stated;
        bool shifts;
    } cases[] = {
        {"played, off the file's beats", 37, 0, true},
        {"played, a wrong meter stated", 37, 2, true},
        {"written, no meter stated", 0, 0, false},
        {"written in the meter stated", 0, 4, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Note> notes = progression(c.at, 4);
        const std::int32_t half = c.at + 64 * Tpq;
        for (int pitch : {36, 60, 64, 67})
            notes.push_back({half, 2 * Tpq, pitch});
        for (const Note &n : progression(half + 2 * Tpq, 4))
            notes.push_back(n);
        const ChordClock clock = musicClock(eventsOf(notes), {Tpq, 4 * Tpq, 1.0}, c.stated);
        EXPECT_EQ(!clock.barLines.empty(), c.shifts);
    }
}

// After a bar of two beats the second round moves to F#: the local keys count the same bars
// as the chords, so the key change and the chord at its tick share a bar number.
TEST(BarGrid, NumbersLocalKeysInTheChordsBarsAfterAShift)
{
    std::vector<Note> notes = progression(37, 4);
    const std::int32_t half = 37 + 64 * Tpq, second = half + 2 * Tpq;
    for (int pitch : {36, 60, 64, 67})
        notes.push_back({half, 2 * Tpq, pitch});
    for (Note n : progression(second, 4)) {
        n.pitch += 6;
        notes.push_back(n);
    }
    const std::vector<NoteEvent> events = eventsOf(notes);
    const ChordClock clock = musicClock(events, {Tpq, 4 * Tpq, 1.0}, 0);
    ASSERT_FALSE(clock.barLines.empty());
    const KeysAndChords found = analyseKeysAndChords(events, clock, {}, false);
    const auto first = std::find_if(found.chords.begin(), found.chords.end(),
                                    [&](const ChordSegment &s) { return s.tick == second; });
    ASSERT_NE(first, found.chords.end());
    EXPECT_EQ(first->bar, 18);
    EXPECT_EQ(profile::barOfTick(found.keys, second), 18);
    EXPECT_EQ(profile::barStartTick(found.keys, 18), second);
    for (const ChordSegment &s : found.chords)
        EXPECT_EQ(profile::barOfTick(found.keys, s.tick), s.bar) << s.tick;
    // The key changes where the second round starts, in the bar its first chord is in.
    const auto change = std::find_if(found.keys.barChanges.begin(), found.keys.barChanges.end(),
                                     [&](const profile::BarKey &b) { return profile::barStartTick(found.keys, b.bar) == second; });
    ASSERT_NE(change, found.keys.barChanges.end());
    EXPECT_EQ(change->bar, first->bar);
}

TEST(BarGrid, NumbersChordsAndLocalKeysFromBarOneWithThePickupAsBarZero)
{
    std::vector<Note> notes = progression(Tpq, 4);
    notes.push_back({0, Tpq, 67});
    const std::vector<NoteEvent> events = eventsOf(notes);
    const ChordClock clock = musicClock(events, {Tpq, 4 * Tpq, 1.0}, 0);
    const KeysAndChords found = analyseKeysAndChords(events, clock, {}, false);
    ASSERT_FALSE(found.chords.empty());
    // The upbeat is the tonic's fifth, so the first chord may take it in; IV starts bar 2.
    const auto fourth = std::find_if(found.chords.begin(), found.chords.end(),
                                     [](const ChordSegment &s) { return s.tick == 5 * Tpq; });
    ASSERT_NE(fourth, found.chords.end());
    EXPECT_EQ(fourth->bar, 2);
    EXPECT_EQ(fourth->beat, 1);
    for (const ChordSegment &s : found.chords) {
        EXPECT_EQ(s.beat, std::floor(s.beat)) << s.tick;
        EXPECT_EQ(s.bar, s.tick < Tpq ? 0 : (s.tick - Tpq) / (4 * Tpq) + 1) << s.tick;
    }
    ASSERT_FALSE(found.keys.bars.empty());
    EXPECT_EQ(found.keys.bars.front().bar, 0);
    EXPECT_EQ(found.keys.bars[1].bar, 1);
    EXPECT_EQ(profile::barStartTick(found.keys, 0), 0);
    EXPECT_EQ(profile::barStartTick(found.keys, 2), Tpq + 4 * Tpq);
    EXPECT_EQ(found.keys.lastBar, 16);
}

TEST(BarGrid, PlacesAPickupChordAtTheBeatItFallsOn)
{
    ChordSegment s;
    s.tick = 0;
    placeInBar(s, {Tpq, 4 * Tpq, 1.0, 3 * Tpq, true});
    EXPECT_EQ(s.bar, 0);
    EXPECT_EQ(s.beat, 2); // bar 0 would start a bar before bar 1, at -Tpq
    placeInBar(s, {Tpq, 4 * Tpq, 1.0, Tpq / 2, false});
    EXPECT_EQ(s.bar, 1); // the silence before the first downbeat
    EXPECT_EQ(s.beat, 0.5);
    s.tick = Tpq / 2 + 4 * Tpq;
    placeInBar(s, {Tpq, 4 * Tpq, 1.0, Tpq / 2, false});
    EXPECT_EQ(s.bar, 2);
    EXPECT_EQ(s.beat, 1);
}

namespace {

// Downbeat scores over `count` beats: `strong` on the listed beats, a little below 0 elsewhere.
std::vector<double> stresses(std::size_t count, const std::vector<std::size_t> &strong)
{
    std::vector<double> s(count, -0.25);
    for (std::size_t k : strong)
        s[k] = 1;
    return s;
}

std::vector<std::size_t> every(std::size_t from, std::size_t to, std::size_t step)
{
    std::vector<std::size_t> out;
    for (std::size_t k = from; k < to; k += step)
        out.push_back(k);
    return out;
}

std::vector<std::size_t> joined(std::vector<std::size_t> a, const std::vector<std::size_t> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(BarTracker, FollowsThePhaseBarByBar)
{
    struct TrackCase {
        const char *name;
        std::vector<double> downbeat;
        int quarters;
        double shiftCost;
        std::vector<std::size_t> expected;
    };
    const std::vector<std::size_t> fours = every(0, 32, 4);
    const std::vector<std::size_t> sixThenFours = joined(every(0, 16, 4), every(18, 40, 4));
    const std::vector<std::size_t> twoThenFours = joined(every(0, 12, 4), every(14, 38, 4));
    const std::vector<std::size_t> fiveThenFours = joined(every(0, 16, 4), every(17, 40, 4));
    std::vector<double> stray = stresses(32, fours);
    stray[13] = 1; // one strong off-beat does not pay for two shifts
    const std::vector<TrackCase> cases = {
        {"four beats throughout", stresses(32, fours), 4, 2, fours},
        {"a bar of six", stresses(40, sixThenFours), 4, 2, sixThenFours},
        {"a bar of two", stresses(38, twoThenFours), 4, 2, twoThenFours},
        {"three beats", stresses(30, every(0, 30, 3)), 3, 2, every(0, 30, 3)},
        {"a pickup beat", stresses(33, every(1, 33, 4)), 4, 2, every(1, 33, 4)},
        {"a stray stress", stray, 4, 2, fours},
        {"a shift costing more than it wins keeps the longer phase", stresses(40, sixThenFours), 4, 100,
         every(2, 40, 4)},
        {"a bar of five", stresses(40, fiveThenFours), 4, 2, fiveThenFours},
        {"no beats", {}, 4, 2, {}},
    };
    for (const TrackCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(trackDownbeats(c.downbeat, c.quarters, c.shiftCost), c.expected);
    }
}

TEST(BarGrid, NumbersChordsInBarsOfTheirOwnLengths)
{
    // Bar 1 at a beat, bars of 4, 6 and 4 beats, then bars of the usual 4 past the last line.
    ChordClock clock{Tpq, 4 * Tpq, 1.0, Tpq, true, {Tpq, 5 * Tpq, 11 * Tpq, 15 * Tpq}};
    const struct {
        std::int64_t tick, bar;
        double beat;
    } places[] = {{0, 0, 4}, {Tpq, 1, 1}, {9 * Tpq, 2, 5}, {11 * Tpq, 3, 1}, {15 * Tpq + Tpq / 2, 4, 1.5},
                  {20 * Tpq, 5, 2}};
    for (const auto &p : places) {
        ChordSegment s;
        s.tick = p.tick;
        placeInBar(s, clock);
        EXPECT_EQ(s.bar, p.bar) << p.tick;
        EXPECT_EQ(s.beat, p.beat) << p.tick;
    }
}
