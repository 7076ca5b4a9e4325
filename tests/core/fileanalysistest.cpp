// "2- Fast Detect" without a window, through the one fast run every front end calls: the
// refusals and their reasons, gathering, the feed order, the feed and its ends, what the
// window's labels and tunedeck-detect show of a run, and its JSON.
#include "core/analysis/analysisjson.h"
#include "core/playback/playkeys.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "midiwriter.h"
#include "pastthebuffer.h"
#include "refusingtonalyte.h"
#include "core/reports/resulttext.h"

#include <gtest/gtest.h>

using namespace tunedeck;

namespace {

using Texts = std::vector<std::string>;

// C major up and down in quarter notes: 15 notes, 30 events, the last at tick 7200.
void addScale(midiwriter::Track &t, int channel = 0)
{
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60})
        t.note(channel, note, 100, 480);
}

midiwriter::File withTempoTrack()
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    return f;
}

midiwriter::File scaleFile()
{
    midiwriter::File f = withTempoTrack();
    addScale(f.addTrack());
    return f;
}

NoteEvent ev(std::int32_t tick, int note, int velocity, std::int32_t track = 2)
{
    return makeNoteEvent(tick, velocity > 0 ? 0x90 : 0x80, note, velocity, track);
}

class FileAnalysisTest : public ::testing::Test {
protected:
    LinkedTonalyte engine;

    FileAnalysis analyse(const midiwriter::File &f, FastOptions options = {}, bool splitFormat0 = false)
    {
        AnalysisChoices choices;
        choices.fast = options;
        choices.splitFormat0 = splitFormat0;
        return analyseBytes(engine, f.bytes(), choices);
    }
    LabelTexts texts(const midiwriter::File &f, FastOptions options = {}) { return labelTexts(analyse(f, options)); }
};

// Every refusal says why in words of its own, the same for every front end; the command's
// text and CSV keep showing only the reader's words.
TEST_F(FileAnalysisTest, RefusalsSayWhy)
{
    midiwriter::File format0(0, 480), format2(2, 480), smpte(1, 480), division0(1, 0);
    addScale(format0.addTrack());
    smpte.smpte(25, 40);
    for (midiwriter::File *f : {&format2, &smpte, &division0}) {
        f->addTrack().tempo(500000);
        addScale(f->addTrack());
    }
    const struct {
        const char *name;
        std::string bytes;
        OpenError kind;
        std::string reason;
        std::string error; // LblError
    } cases[] = {
        {"no header", "RIFF....", OpenError::InvalidHeader, NoMidiHeader, "Invalid File Header"},
        {"damaged", scaleFile().bytes().substr(0, 40), OpenError::Reader, "", "Midifile1_Error"},
        {"format 0", format0.bytes(), OpenError::FormatNotSupported,
         "it is a format 0 file (one track holding every channel), read only when format 0 files are read one "
         "track per channel",
         "Format not supported"},
        {"format 2", format2.bytes(), OpenError::FormatNotSupported,
         "it is a format 2 file (separate patterns), which cannot be played as one piece", "Format not supported"},
        {"SMPTE", smpte.bytes(), OpenError::FormatNotSupported,
         "it counts time in SMPTE frames (25 per second), not in ticks per quarter note", "Format not supported"},
        {"division 0", division0.bytes(), OpenError::FormatNotSupported,
         "its time division of 0 ticks per quarter note cannot be timed", "Format not supported"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const FileAnalysis a = analyseBytes(engine, c.bytes, {});
        ASSERT_TRUE(a.refusal);
        EXPECT_EQ(a.refusal->kind, c.kind);
        EXPECT_EQ(a.run.outcome, FastOutcome::FileRefused);
        EXPECT_FALSE(a.profile);
        const LabelTexts t = labelTexts(a);
        EXPECT_EQ(t.error, c.error);
        const nlohmann::json json = analysisJson(a, t);
        EXPECT_EQ(json["outcome"], "file-refused");
        if (c.kind == OpenError::Reader) {
            EXPECT_FALSE(a.refusal->reason.empty());
            EXPECT_EQ(shownReason(a), a.refusal->reason);
        } else {
            EXPECT_EQ(a.refusal->reason, c.reason);
            EXPECT_EQ(shownReason(a), "");
        }
        EXPECT_EQ(json["reason"], a.refusal->reason);
    }
    // Split, the format 0 file reads as format 1 and says so.
    const FileAnalysis split = analyse(format0, {}, true);
    EXPECT_EQ(split.run.outcome, FastOutcome::Reported);
    EXPECT_TRUE(split.file.splitFormat0 && split.file.format0);
    EXPECT_EQ(analysisJson(split)["splitFormat0"], true);
}

// A broken C major cadence with a low and a high C: both keys move by the interval, and the
// notes pushed out of 1..127 are left out and counted.
TEST_F(FileAnalysisTest, TransposeMovesBothKeys)
{
    midiwriter::File f = withTempoTrack();
    auto &t = f.addTrack();
    for (int round = 0; round < 4; ++round)
        for (int note : {48, 52, 55, 60, 53, 57, 60, 65, 55, 59, 62, 65, 67, 71, 72, 67, 64, 60})
            t.note(0, note, 90, 240);
    t.note(0, 12, 60, 240).note(0, 120, 60, 240);
    const std::tuple<int, int, int> cases[] = {{0, 160, 0},  {2, 162, 0},  {-3, 169, 0},
                                               {7, 167, 0},  {12, 160, 1}, {-12, 160, 1}};
    for (const auto &[semitones, key, leftOut] : cases) { // key: 160 + the major tonic's pitch class
        SCOPED_TRACE(semitones);
        FastOptions options;
        options.adjust.transpose = semitones;
        const FileAnalysis a = analyse(f, options);
        EXPECT_EQ(a.run.keyCode, key);
        EXPECT_EQ(a.profile->keyCode, key);
        EXPECT_EQ(a.run.leftOut, leftOut);
        EXPECT_EQ(analysisJson(a, {true, {}})["transposeLeftOut"], leftOut);
    }
}

TEST_F(FileAnalysisTest, WholeRunEndsWithBothReports)
{
    const midiwriter::File f = scaleFile();
    const FileAnalysis a = analyse(f);
    const LabelTexts c = labelTexts(a);
    EXPECT_EQ(a.run.outcome, FastOutcome::Reported);
    EXPECT_EQ(a.run.ticksPerBar, 1920);
    EXPECT_EQ(c.mess, " 30");
    EXPECT_EQ(c.cTime, "0004"); // tick 7200 in 1920-tick bars
    EXPECT_EQ(c.keyTiming, "4/4 Meter Timing");
    EXPECT_EQ(c.kType, "Overall Key");
    EXPECT_EQ(c.error, "");
    EXPECT_EQ(c.kqKey, "160");
    EXPECT_EQ(c.keyStr, "C Major");
    EXPECT_EQ(c.signat, "00");
    EXPECT_EQ(c.haStr.rfind("Probability = ", 0), 0u);
    ASSERT_FALSE(c.keyList.empty());
    EXPECT_TRUE(c.keyList.front().ends_with("% = (00) C Major"));
    // F major held briefly before the B decided C major, in the same first region.
    EXPECT_EQ(c.keyPoint, Texts{"0001: C Major"});
    const std::string block = formatText(a, c, true);
    EXPECT_EQ(block.substr(0, block.find('\n') + 1), "  Overall Key       C Major (00)\n");
    EXPECT_NE(block.find("\n  Profile analysis  C major, "), std::string::npos);

    const nlohmann::json json = analysisJson(a, c);
    EXPECT_EQ(json["keyCode"], 160);
    EXPECT_EQ(json["probability"], a.run.reports.overall.top().percent);
    EXPECT_EQ(json["points"], nlohmann::json(Texts{"0001: C Major"}));
    EXPECT_EQ(json["labels"]["LblKeyTiming"], "4/4 Meter Timing");
    EXPECT_EQ(json["profileAnalysis"]["keyCode"], 160);
    EXPECT_FALSE(json.contains("file") || json.contains("splitFormat0") || json.contains("keyNotation"));

    // A note-on of velocity 0 ends the note exactly like a note-off.
    midiwriter::File zeros = withTempoTrack();
    midiwriter::Track &t = zeros.addTrack();
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60})
        t.noteOn(0, note, 100).wait(480).noteOn(0, note, 0);
    const LabelTexts z = texts(zeros);
    EXPECT_EQ(z.keyList, c.keyList);
    EXPECT_EQ(z.keyPoint, c.keyPoint);

    // 6/8 counts three quarters a bar.
    FastOptions sixEight;
    sixEight.meter = 3;
    const FileAnalysis m = analyse(f, sixEight);
    EXPECT_EQ(m.run.ticksPerBar, 1440);
    EXPECT_EQ(labelTexts(m).keyTiming, "6/8 Meter Timing");
    EXPECT_EQ(labelTexts(m).cTime, "0006");
}

// The key count is read when the results are shown: the reports can be made again from the
// answers the run read, and a window's hook gives the choices in force at the end.
TEST_F(FileAnalysisTest, KeyCountIsReadWhenShown)
{
    midiwriter::File f = withTempoTrack();
    auto &t = f.addTrack();
    for (int tonic : {0, 7, 0, 5, 0})
        for (int round = 0; round < 4; ++round)
            for (int step : {0, 4, 7, 12, 5, 9, 12, 17, 7, 11, 14, 17, 12})
                t.note(0, 48 + tonic + step, 90, 240);
    FastOptions one;
    one.keys = KeyCountChoice::One;
    const FileAnalysis a = analyse(f, one);
    ASSERT_EQ(a.run.reports.timing.selected.size(), 1u);
    const KeyReports four = reportsWith(a, KeyCountChoice::Four);
    EXPECT_GT(four.timing.selected.size(), 1u);
    EXPECT_EQ(four.overall.ranked, a.run.reports.overall.ranked);

    AnalysisChoices choices;
    choices.fast = one;
    AnalysisHooks hooks;
    hooks.reportChoices = [] { return ReportChoices{false, true, KeyCountChoice::Four}; };
    const FileAnalysis shown = analyseBytes(engine, f.bytes(), choices, hooks);
    EXPECT_EQ(shown.run.reports.timing.points, four.timing.points);
}

// Early ends; the profile analysis runs whenever the events were gathered, so a run without
// notes shows "no key" rather than the previous file's.
TEST_F(FileAnalysisTest, EarlyExits)
{
    enum Kind { DrumsOnly, SingleTrack, ThreeTracks, Channel16 };
    const struct {
        const char *name;
        Kind kind;
        bool all;
        int track;
        FastOutcome outcome;
    } cases[] = {
        {"drums with All", DrumsOnly, true, 0, FastOutcome::NoData},
        {"drum track alone is fed", DrumsOnly, false, 0, FastOutcome::Reported},
        {"one track chunk, All", SingleTrack, true, 0, FastOutcome::NoData},
        {"one track chunk, Track 01", SingleTrack, false, 0, FastOutcome::TrackNotFound},
        {"Track 03 of three", ThreeTracks, false, 2, FastOutcome::TrackNotFound},
        {"channel 16, All", Channel16, true, 0, FastOutcome::NoData},
        {"channel 16 alone", Channel16, false, 0, FastOutcome::NoData},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        midiwriter::File f = withTempoTrack();
        if (c.kind == DrumsOnly)
            addScale(f.addTrack(), 9);
        else if (c.kind == ThreeTracks) {
            addScale(f.addTrack());
            addScale(f.addTrack());
        } else if (c.kind == Channel16)
            addScale(f.addTrack(), 15);
        FastOptions options;
        options.tracks = {c.all, c.track};
        const FileAnalysis a = analyse(f, options);
        EXPECT_EQ(a.run.outcome, c.outcome);
        const LabelTexts t = labelTexts(a);
        if (c.outcome == FastOutcome::NoData) {
            EXPECT_EQ(t.mess, "No Data");
            ASSERT_TRUE(a.profile);
            EXPECT_EQ(a.profile->keyCode, NoKey);
        }
        if (c.outcome == FastOutcome::TrackNotFound) {
            EXPECT_EQ(t.error, "Track not found");
            EXPECT_FALSE(a.profile);
        }
        EXPECT_EQ(t.keyList.empty(), c.outcome != FastOutcome::Reported);
        EXPECT_EQ(succeeded(a), c.outcome == FastOutcome::Reported || c.outcome == FastOutcome::NoData);
    }
}

// One time order from tracks that each start at 0: ascending tick; at one tick the first
// 32000 gathered before the rest, then note-ons before note-offs, by note and velocity;
// equal events keep their gathering order.
TEST(FeedOrder, TicksThenStoresThenOnsByNote)
{
    std::vector<NoteEvent> events{ev(0, 60, 100), ev(960, 62, 100), ev(0, 67, 90, 3), ev(480, 64, 0, 3),
                                  ev(480, 64, 80, 3)};
    putInFeedOrder(events);
    const std::vector<NoteEvent> expected{ev(0, 60, 100), ev(0, 67, 90, 3), ev(480, 64, 80, 3), ev(480, 64, 0, 3),
                                          ev(960, 62, 100)};
    EXPECT_TRUE(events == expected);

    // Across the old store boundary a tie goes to the earlier group, whatever its note.
    std::vector<NoteEvent> many;
    for (int i = 0; i < 31999; ++i)
        many.push_back(ev(100 + i, 60, 100));
    many.push_back(ev(50, 99, 100, 5)); // number 31999: the first group
    many.push_back(ev(50, 40, 100, 6)); // number 32000: the second
    many.push_back(ev(10, 40, 100, 7));
    many.push_back(ev(50, 40, 100, 5)); // equal to the one before it in the second group
    putInFeedOrder(many);
    EXPECT_EQ(many[0].track, 7);
    EXPECT_EQ(int(many[1].note), 99);
    EXPECT_EQ(many[2].track, 6);
    EXPECT_EQ(many[3].track, 5);
}

TEST_F(FileAnalysisTest, CapacityOfARun)
{
    for (int events : {64000, 64001}) {
        SCOPED_TRACE(events);
        midiwriter::File f = withTempoTrack();
        midiwriter::Track &t = f.addTrack();
        for (int i = 0; i < events / 2; ++i)
            t.note(0, 60 + i % 12, 100, 10);
        if (events % 2)
            t.noteOn(0, 72, 100);
        const LabelTexts c = texts(f);
        if (events == 64000) {
            EXPECT_EQ(c.mess, " 64000");
            continue;
        }
        EXPECT_EQ(c.error, "Out of buffer");
        EXPECT_EQ(c.mess, "Canceled");
        EXPECT_EQ(c.keyList, Texts{"Error"});
        EXPECT_EQ(c.haStr, "Max =  64000");
        EXPECT_EQ(c.kqKey, "*");
    }
}

// Past the event buffer the library names no key, but the profile analysis and the chords
// cover the notes up to the limit (C major; the F# major after it is never read), as a play of
// the file shows them.
TEST_F(FileAnalysisTest, PastTheBufferTheKeysAndChordsReachTheLimit)
{
    const midiwriter::File f = pastTheBuffer();
    const FileAnalysis a = analyse(f);
    ASSERT_EQ(a.run.outcome, FastOutcome::OutOfBuffer);
    ASSERT_TRUE(a.profile);
    EXPECT_EQ(analysisKeyName(a.profile->keyCode), "C major");
    EXPECT_EQ(a.limitBar, a.profile->lastBar);
    EXPECT_EQ(a.limitBar, 2000); // 8,000 beats of 8 events each: the limit falls at the end of bar 2000
    ASSERT_FALSE(a.chords.empty());
    for (const chords::ChordSegment &c : a.chords)
        ASSERT_TRUE(c.chord == (harmony::Chord{0, harmony::Quality::Major, 0}) && c.bar <= a.limitBar) << c.bar;
    const nlohmann::json o = analysisJson(a);
    EXPECT_EQ(o["limitBar"], a.limitBar);
    EXPECT_EQ(o["profileAnalysis"]["key"], "C major");
    EXPECT_EQ(o["outcome"], "out-of-buffer");

    // What a play shows of the file is the same analysis.
    OpenFile file;
    ASSERT_TRUE(file.openBytes(f.bytes()));
    const std::optional<PlayKeys> play = PlayKeys::of(file, FastOptions{});
    ASSERT_TRUE(play && !play->whole());
    EXPECT_EQ(play->analysis().keyCode, a.profile->keyCode);
    EXPECT_EQ(play->analysis().barChanges, a.profile->barChanges);
    EXPECT_EQ(play->chords(), a.chords);

    AnalysisChoices quick;
    quick.withProfile = false;
    const FileAnalysis without = analyseBytes(engine, f.bytes(), quick);
    EXPECT_FALSE(without.profile);
    EXPECT_EQ(without.limitBar, 0);
}

// Cancelled after its 20th event, the run is still reported on what was fed, with its
// profile analysis.
TEST_F(FileAnalysisTest, CancelledFeedIsReported)
{
    AnalysisHooks hooks;
    std::vector<int> handled;
    hooks.run.keepGoing = [&](const FeedProgress &p) {
        handled.push_back(p.handled);
        return handled.size() < 20;
    };
    const FileAnalysis a = analyseBytes(engine, scaleFile().bytes(), {}, hooks);
    ASSERT_EQ(handled.size(), 20u);
    EXPECT_EQ(handled.back(), 19);
    EXPECT_EQ(a.run.outcome, FastOutcome::Cancelled);
    EXPECT_EQ(a.run.feed.handled, 19);
    EXPECT_TRUE(a.run.reports.overall.hasKey());
    EXPECT_TRUE(a.profile);
}

TEST_F(FileAnalysisTest, LibraryRejectionEndsWithoutReports)
{
    midiwriter::File f = withTempoTrack();
    f.addTrack().note(0, 60, 100, 480).note(0, 1, 100, 480).note(0, 62, 100, 480);
    RefusingTonalyte refusing(engine, 1);
    const FileAnalysis a = analyseBytes(refusing, f.bytes(), {});
    const LabelTexts c = labelTexts(a);
    EXPECT_EQ(a.run.outcome, FastOutcome::LibraryError);
    EXPECT_EQ(c.error, "Tonalyte return error");
    EXPECT_EQ(c.mess, " 1"); // at tick 480 note 1 starts before 60 ends
    EXPECT_EQ(c.kType, "Current Key");
    EXPECT_EQ(a.run.keyCode, -1);
    EXPECT_TRUE(a.profile);
    EXPECT_FALSE(succeeded(a));
}

// Past 32767 bars the number keeps counting instead of wrapping.
TEST_F(FileAnalysisTest, BarNumberOfTheFedEvent)
{
    engine.KeyClearEvs();
    engine.KeySetDetectMode(1);
    const std::vector<NoteEvent> events{ev(1919, 60, 100), ev(19200000, 60, 0), ev(1920 * 40000, 60, 100)};
    std::vector<std::int64_t> bars;
    feedEvents(engine, events, 1920, [&](const FeedProgress &p) {
        bars.push_back(p.bar);
        return true;
    });
    EXPECT_EQ(bars, (std::vector<std::int64_t>{1, 10001, 40001}));
    EXPECT_EQ(text::bar(bars[1]), "10001");
}

} // namespace
