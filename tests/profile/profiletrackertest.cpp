// The profile tracker, read every second as the window reads it, on passages timed in
// milliseconds by the test, not a clock: silence shows no key, a held key is shown without
// flicker, a clear modulation is followed within 12 s, nothing is shown over silence though
// the last key heard stays at hand, and the unsure flag turns at most once in 8 s.
#include "core/profile/profiletracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace tunedeck;
using namespace tunedeck::profile;

namespace {

struct Section {
    int keyCode; // NoKey: silence
    int seconds;
};

struct TimedNote {
    std::int64_t ms;
    NoteEvent event;
};

// Two seconds a bar: I and V7 in turn over their root, the scale stepping up in quarters
// above (harmonic minor for minor keys), as a player would sound a key plainly.
std::vector<TimedNote> play(const std::vector<Section> &sections)
{
    static constexpr int majorScale[7] = {0, 2, 4, 5, 7, 9, 11};
    static constexpr int minorScale[7] = {0, 2, 3, 5, 7, 8, 11};
    std::vector<TimedNote> notes;
    const auto add = [&](std::int64_t at, std::int64_t length, int pitch) {
        notes.push_back({at, {0, std::uint8_t(pitch), 90, true, 0, 2}});
        notes.push_back({at + length - 1, {0, std::uint8_t(pitch), 0, false, 0, 2}});
    };
    std::int64_t start = 0;
    for (const Section &s : sections) {
        if (isKeyCode(s.keyCode)) {
            const int *scale = isMinorKey(s.keyCode) ? minorScale : majorScale;
            const int tonic = tonicOf(s.keyCode);
            const auto pitch = [&](int degree, int octave) { return 12 * octave + tonic + scale[degree % 7]; };
            for (int bar = 0; bar < s.seconds / 2; ++bar) {
                const std::int64_t at = start + bar * 2000;
                const int root = bar % 2 == 0 ? 0 : 4;
                add(at, 2000, pitch(root, 3));
                for (int third = 0; third < (root == 4 ? 4 : 3); ++third)
                    add(at, 2000, pitch(root + 2 * third, 4));
                for (int beat = 0; beat < 4; ++beat)
                    add(at + beat * 500, 500, pitch(4 * bar + beat, 5));
            }
        }
        start += s.seconds * 1000;
    }
    std::stable_sort(notes.begin(), notes.end(), [](const TimedNote &a, const TimedNote &b) { return a.ms < b.ms; });
    return notes;
}

// The reading at every second from 0 to seconds, each from the notes before it only.
std::vector<ProfileReading> readEverySecond(const std::vector<TimedNote> &notes, int seconds,
                                            const TrackerOptions &options = {})
{
    ProfileTracker tracker(options);
    std::vector<ProfileReading> out;
    std::size_t next = 0;
    for (int s = 0; s <= seconds; ++s) {
        out.push_back(tracker.readingAt(s * 1000));
        for (; next < notes.size() && notes[next].ms < (s + 1) * 1000; ++next)
            tracker.note(notes[next].ms, notes[next].event);
    }
    return out;
}

constexpr int C = 160, Eb = 163, G = 167, A_ = 69;

} // namespace

TEST(ProfileTracker, FollowsKeysAndSilence)
{
    const struct {
        const char *name;
        std::vector<Section> sections;
        std::vector<std::pair<int, int>> shown; // {second, key}: shown from that second on; -1 either
        int changes;                            // between keys, silences apart
    } cases[] = {
        {"silence", {{NoKey, 20}}, {{0, NoKey}}, 0},
        {"held C major", {{C, 60}}, {{4, C}}, 0},
        {"held A minor", {{A_, 60}}, {{6, A_}}, 0},
        {"C major to E-flat major", {{C, 40}, {Eb, 40}}, {{4, C}, {41, -1}, {52, Eb}}, 1},
        {"C major to G major", {{C, 40}, {G, 40}}, {{4, C}, {41, -1}, {52, G}}, 1},
        {"C major then silence", {{C, 30}, {NoKey, 20}}, {{4, C}, {31, -1}, {36, NoKey}}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        int seconds = 0;
        for (const Section &s : c.sections)
            seconds += s.seconds;
        const std::vector<ProfileReading> r = readEverySecond(play(c.sections), seconds);
        // Nothing before the first note is heard, and no key but the one sounding.
        EXPECT_EQ(r[0], ProfileReading{});
        for (std::size_t i = 0; i < c.shown.size(); ++i) {
            const int to = i + 1 < c.shown.size() ? c.shown[i + 1].first : seconds + 1;
            for (int s = c.shown[i].first; s < to && c.shown[i].second >= 0; ++s)
                EXPECT_EQ(r[std::size_t(s)].keyCode, c.shown[i].second) << "second " << s;
        }
        int changes = 0, last = NoKey;
        for (const ProfileReading &k : r) {
            changes += isKeyCode(k.keyCode) && isKeyCode(last) && k.keyCode != last;
            last = isKeyCode(k.keyCode) ? k.keyCode : last;
        }
        EXPECT_EQ(changes, c.changes);
        // A key held long enough is shown as sure.
        const auto held =
            std::find_if(r.rbegin(), r.rend(), [](const ProfileReading &k) { return isKeyCode(k.keyCode); });
        if (held != r.rend()) {
            EXPECT_TRUE(held->sure);
        }
    }
}

TEST(ProfileTracker, LongGapReadAtOnceAsSecondBySecond)
{
    // C major, then an hour without a new note: once with a note never ended, once silent.
    for (const bool held : {true, false}) {
        SCOPED_TRACE(held ? "a note never ended" : "silence");
        std::vector<TimedNote> notes = play({{C, 30}});
        if (held)
            notes.push_back({30000, {0, 67, 90, true, 0, 2}});
        ProfileTracker stepped, jumped;
        for (const TimedNote &n : notes) {
            stepped.note(n.ms, n.event);
            jumped.note(n.ms, n.event);
        }
        for (std::int64_t s = 31; s < 3600; ++s)
            stepped.readingAt(s * 1000);
        const ProfileReading once = jumped.readingAt(3600 * 1000);
        EXPECT_EQ(once, stepped.readingAt(3600 * 1000));
        EXPECT_EQ(once.keyCode, held ? C : NoKey);
    }
}

TEST(ProfileTracker, FinalReadingOutlastsTheSilence)
{
    ProfileTracker tracker;
    for (const TimedNote &n : play({{G, 30}}))
        tracker.note(n.ms, n.event);
    // A minute after the last note the key is no longer shown, but listening's report keeps it.
    EXPECT_EQ(tracker.readingAt(90000), ProfileReading{});
    const ProfileReading last = tracker.finalReading(90000);
    EXPECT_EQ(last.keyCode, G);
    EXPECT_TRUE(last.sure);
    // Notes only in the second still open at the end are counted too.
    ProfileTracker brief;
    for (const TimedNote &n : play({{C, 2}}))
        if (n.ms < 800)
            brief.note(n.ms, n.event);
    EXPECT_EQ(brief.readingAt(900).keyCode, NoKey);
    EXPECT_TRUE(isKeyCode(brief.finalReading(900).keyCode));
}

TEST(ProfileTracker, UnsureFlagTurnsAtMostOnceInEightSeconds)
{
    // Keys that move every few seconds keep the confidence about the line: without a hold
    // the flag turns often, with it never twice within 8 s.
    std::vector<Section> wandering;
    for (int i = 0; i < 30; ++i)
        wandering.push_back({i % 3 == 0 ? C : i % 3 == 1 ? A_ : G, 4});
    const auto turns = [&](std::int64_t holdMs, int &closest) {
        TrackerOptions options;
        options.unsureHoldMs = holdMs;
        const std::vector<ProfileReading> r = readEverySecond(play(wandering), 120, options);
        int count = 0, last = -1;
        closest = 1000;
        for (int s = 1; s < int(r.size()); ++s)
            if (isKeyCode(r[std::size_t(s)].keyCode) && isKeyCode(r[std::size_t(s - 1)].keyCode)
                && r[std::size_t(s)].sure != r[std::size_t(s - 1)].sure) {
                ++count;
                closest = last >= 0 ? std::min(closest, s - last) : closest;
                last = s;
            }
        return count;
    };
    int free = 0, held = 0;
    const int freeTurns = turns(0, free), heldTurns = turns(8000, held);
    EXPECT_GT(freeTurns, heldTurns);
    EXPECT_GE(heldTurns, 2);
    EXPECT_LT(free, 8);
    EXPECT_GE(held, 8);
}
