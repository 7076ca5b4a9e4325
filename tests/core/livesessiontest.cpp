// The live session: each second read once, at its start, from the notes before it, however
// the caller's clock steps; a restart or a start from a point; a play against listening.
#include "core/playback/livesession.h"

#include <gtest/gtest.h>

using namespace tunedeck;

namespace {

// Arpeggios of A minor then C major, 12 s each, four notes a second, each 200 ms long; notes on
// a second's very start, and one a millisecond before it.
std::vector<std::pair<std::int64_t, NoteEvent>> scales()
{
    std::vector<std::pair<std::int64_t, NoteEvent>> notes;
    std::int64_t ms = 0;
    for (const std::array<int, 4> scale : {std::array{57, 60, 64, 68}, {60, 64, 67, 72}})
        for (int i = 0; i < 48; ++i, ms += 250) {
            const std::int64_t at = ms == 5000 ? 4999 : ms;
            const auto pitch = std::uint8_t(scale[std::size_t(i % 4)]);
            notes.push_back({at, NoteEvent{0, pitch, 90, true, 0}});
            notes.push_back({at + 200, NoteEvent{0, pitch, 0, false, 0}});
        }
    return notes;
}

struct Told {
    std::vector<LiveReading> readings;
    int finished = 0;
};
// The session told every reading, its clock moved on in steps (none: at the notes only) up to
// end, where it finishes.
Told run(LiveSession &session, const PlayKeys *keys, std::int64_t firstSecond, std::int64_t step, std::int64_t end)
{
    Told told;
    session.setListener({.read = [&](const LiveReading &r) { told.readings.push_back(r); },
                         .finished = [&](const ShownKey &) { ++told.finished; }});
    session.start(keys, firstSecond);
    std::int64_t clock = 0;
    const auto moveTo = [&](std::int64_t ms) {
        for (; step > 0 && clock + step <= ms; clock += step)
            session.update(clock + step);
    };
    for (const auto &[ms, note] : scales()) {
        moveTo(ms);
        session.note(ms, note);
    }
    moveTo(end);
    session.finish(end);
    session.setListener({});
    return told;
}

} // namespace

TEST(LiveSession, ReadsEachSecondOnceFromTheNotesBeforeIt)
{
    // The tracker read as a trace reads it: the notes before each second, then the second.
    profile::ProfileTracker tracker;
    std::vector<profile::ProfileReading> expected;
    const auto notes = scales();
    std::size_t next = 0;
    for (std::int64_t second = 1; second <= 26; ++second) {
        for (; next < notes.size() && notes[next].first < second * 1000; ++next)
            tracker.note(notes[next].first, notes[next].second);
        expected.push_back(tracker.readingAt(second * 1000));
    }
    ASSERT_NE(expected.back().keyCode, expected[10].keyCode); // the key moved
    for (const std::int64_t step : {0, 1, 333, 1000, 2500}) {
        SCOPED_TRACE(step);
        LiveSession session;
        const Told told = run(session, nullptr, 1, step, 26'000);
        ASSERT_EQ(told.readings.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(told.readings[i].second, std::int64_t(i + 1));
            EXPECT_EQ(told.readings[i].heard, expected[i]) << "second " << i + 1;
            EXPECT_EQ(told.readings[i].shown, ShownKey{expected[i]}); // listening shows what it heard
        }
    }
}

// Listening's clock jumping far past a silence shows what one read every second shows.
TEST(LiveSession, ListeningsClockJumpsOverASilence)
{
    LiveSession late, steady;
    EXPECT_LT(run(late, nullptr, 1, 0, 3'600'000).readings.size(), 100u);
    run(steady, nullptr, 1, 1000, 3'600'000);
    EXPECT_EQ(late.keyMap(), steady.keyMap());
    EXPECT_EQ(late.shown(), steady.shown());
}

// Started again, a session forgets the run before; started from a point (a seek, notes before
// it fed), it tells nothing before it and the same from there.
TEST(LiveSession, StartsAgainAndFromAPoint)
{
    LiveSession session;
    const Told first = run(session, nullptr, 1, 250, 26'000);
    for (const std::int64_t from : {1, 12}) {
        const Told again = run(session, nullptr, from, 0, 26'000);
        ASSERT_EQ(again.readings.size(), first.readings.size() + 1 - std::size_t(from));
        for (std::size_t i = 0; i < again.readings.size(); ++i)
            EXPECT_EQ(again.readings[i].heard, first.readings[i + std::size_t(from) - 1].heard) << "second " << i + 1;
    }
}

// A play shows its file's local key whatever the tracker hears, and has no final reading;
// listening shows the tracker's, and once stopped what it heard before the silence.
TEST(LiveSession, PlayShowsItsFilesKeyListeningWhatItHeard)
{
    OpenFile file;
    ASSERT_TRUE(file.open(TUNEDECK_TEST_EXAMPLES "/twinkle-modulating.mid").has_value());
    const std::optional<PlayKeys> keys = PlayKeys::of(file, FastOptions{});
    ASSERT_TRUE(keys);
    LiveSession session;
    const Told play = run(session, &*keys, 1, 0, 30'000);
    ASSERT_NE(play.readings.front().heard.keyCode, 160);
    EXPECT_EQ(play.readings.front().shown, (ShownKey{{160, play.readings.front().shown.reading.confidence, true}, 1}));
    EXPECT_EQ(play.finished, 0);
    const Told listening = run(session, nullptr, 1, 0, 30'000);
    EXPECT_EQ(listening.readings.back().shown.reading.keyCode, NoKey);
    EXPECT_EQ(listening.finished, 1);
    EXPECT_EQ(session.shown().reading.keyCode, 160);
}
