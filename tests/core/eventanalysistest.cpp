// A piece handed over as events answers as the file holding them: same JSON for every track
// choice, the same refusal of format 0, and a reason for each event no file can hold.
#include "core/analysis/analysisjson.h"
#include "core/analysis/eventanalysis.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "midiwriter.h"

#include <gtest/gtest.h>

using namespace tunedeck;

namespace {

// A melody in G major on channel 1 (track 2) over a bass with a program change on channel 2
// (track 3), and a drum on channel 10 that only a chosen track analyses; 960 ticks per
// quarter at 75 bpm.
struct Piece {
    midiwriter::File file{1, 960};
    EventPiece events;

    Piece()
    {
        events.ticksPerQuarter = 960;
        events.tempo = 800000;
        file.addTrack().tempo(800000);
        auto &melody = file.addTrack();
        auto &bass = file.addTrack();
        bass.programChange(1, 33);
        events.events.push_back({0, 0xC1, 33, 0, 3});
        std::int64_t tick = 0;
        for (int round = 0; round < 3; ++round)
            for (int note : {67, 71, 74, 72, 69, 66, 67, 62}) {
                melody.note(0, note, 90, 480);
                bass.note(1, note - 24, 70, 240).wait(240);
                // Listed track 3 before track 2, and each note-off before its note-on would
                // come: the tracks and ticks put them in place.
                events.events.push_back({tick + 240, 0x81, note - 24, 0, 3});
                events.events.push_back({tick, 0x91, note - 24, 70, 3});
                events.events.push_back({tick + 480, 0x80, note, 0, 2});
                events.events.push_back({tick, 0x90, note, 90, 2});
                tick += 480;
            }
        melody.note(9, 36, 100, 480);
        events.events.push_back({tick, 0x99, 36, 100, 2});
        events.events.push_back({tick + 480, 0x89, 36, 0, 2});
    }
};

class EventAnalysisTest : public ::testing::Test {
protected:
    LinkedTonalyte engine;
};

TEST_F(EventAnalysisTest, AnswersAsTheFileHoldingThem)
{
    const Piece piece;
    for (const TrackChoice tracks : {TrackChoice{true, 0}, TrackChoice{false, 0}, TrackChoice{false, 1}}) {
        SCOPED_TRACE(tracks.all ? -1 : tracks.position);
        AnalysisChoices choices;
        choices.fast.tracks = tracks;
        const FileAnalysis file = analyseBytes(engine, piece.file.bytes(), choices);
        const Result<FileAnalysis> events = analyseEvents(engine, piece.events, choices);
        ASSERT_TRUE(events);
        ASSERT_EQ(file.run.outcome, FastOutcome::Reported);
        EXPECT_EQ(events->run.events, file.run.events);
        EXPECT_EQ(events->file.msPerTick, file.file.msPerTick);
        EXPECT_EQ(analysisJson(*events), analysisJson(file));
    }
}

// Without events a track still counts, so that a choice past the last track with notes reads
// nothing instead of missing the track, as in the file; formats 0 and 2 are read as their files.
TEST_F(EventAnalysisTest, TrackCountAndFormat)
{
    Piece piece;
    AnalysisChoices third;
    third.fast.tracks = {false, 2};
    EXPECT_EQ(analyseEvents(engine, piece.events, third)->run.outcome, FastOutcome::TrackNotFound);
    piece.events.trackCount = 4;
    EXPECT_EQ(analyseEvents(engine, piece.events, third)->run.outcome, FastOutcome::NoData);

    piece.events.format = 0;
    const FileAnalysis refused = *analyseEvents(engine, piece.events, {});
    ASSERT_TRUE(refused.refusal);
    EXPECT_EQ(refused.refusal->kind, OpenError::FormatNotSupported);
    AnalysisChoices split;
    split.splitFormat0 = true;
    const FileAnalysis read = *analyseEvents(engine, piece.events, split);
    EXPECT_TRUE(read.file.splitFormat0);
    EXPECT_EQ(read.run.events.size(), 96u); // 24 notes each of melody and bass; not the drum

    piece.events.format = 2;
    const FileAnalysis patterns = *analyseEvents(engine, piece.events, split);
    ASSERT_TRUE(patterns.refusal);
    EXPECT_EQ(patterns.refusal->reason,
              "it is a format 2 file (separate patterns), which cannot be played as one piece");
}

// A wait longer than one delta time holds (2^28 - 1 ticks) still lands on its tick.
TEST_F(EventAnalysisTest, LongWaitKeepsTheTick)
{
    EventPiece piece;
    const std::int64_t late = 0x30000005;
    piece.events = {{late, 0x90, 60, 100, 2}, {late + 480, 0x80, 60, 0, 2}};
    const Result<FileAnalysis> a = analyseEvents(engine, piece, {});
    ASSERT_TRUE(a);
    ASSERT_EQ(a->run.events.size(), 2u);
    EXPECT_EQ(a->run.events[0].tick, late);
}

TEST_F(EventAnalysisTest, PiecesNoFileHolds)
{
    const auto with = [](RawEvent e) {
        EventPiece p;
        p.events = {{0, 0x90, 60, 100, 2}, e};
        return p;
    };
    EventPiece division0, tempo0, format3;
    division0.ticksPerQuarter = 0;
    tempo0.tempo = 0;
    format3.format = 3;
    const std::pair<EventPiece, std::string> cases[] = {
        {with({-1, 0x80, 60, 0, 2}), "event 1: tick -1 is not within 0 to 2147483647"},
        {with({2147483648, 0x80, 60, 0, 2}), "event 1: tick 2147483648 is not within 0 to 2147483647"},
        {with({0, 0xFF, 0x51, 3, 2}), "event 1: status 255 is no channel message (128 to 239)"},
        {with({0, 0x7F, 60, 0, 2}), "event 1: status 127 is no channel message (128 to 239)"},
        {with({0, 0x80, 128, 0, 2}), "event 1: a data byte is not within 0 to 127"},
        {with({0, 0x80, 60, 0, 0}), "event 1: track 0 is not within 1 to 32767"},
        {division0, "the division of 0 ticks per quarter note is not within 1 to 32767"},
        {tempo0, "the tempo of 0 microseconds per quarter note is not within 1 to 16777215"},
        {format3, "format 3 is not 0, 1 or 2"},
    };
    for (const auto &[piece, reason] : cases) {
        const Result<FileAnalysis> a = analyseEvents(engine, piece, {});
        ASSERT_FALSE(a);
        EXPECT_EQ(a.error().reason, reason);
    }
}

} // namespace
