// "1- Real Time Play" without the window, with the engine linked in and its clock driven by
// the test: the play list the session composes, the live feed of played notes, and the
// reports at the end.
#include "core/tonalyte/linkedtonalyte.h"
#include "core/fastdetect/openfile.h"
#include "manualticks.h"
#include "midiwriter.h"
#include "refusingtonalyte.h"
#include "core/playback/midioutput.h"
#include "core/playback/playlist.h"
#include "core/playback/realtimesession.h"
#include "core/reports/resulttext.h"

#include <gtest/gtest.h>

#include <climits>

using namespace tunedeck;

namespace {

using Texts = std::vector<std::string>;

using TestClock = ManualTicks;

// Keeps what the session composes, and what it asks of the output.
class FakeOutput : public MidiOutput {
public:
    std::vector<TimedEvent> events;
    Texts calls;

    void open() override
    {
        calls.push_back("open");
        events.clear();
    }
    void append(const TimedEvent &event) override { events.push_back(event); }
    void play() override { calls.push_back("play"); }
    void playFrom(std::int32_t ms) override { calls.push_back("play from " + std::to_string(ms)); }
    void stop() override { calls.push_back("stop"); }
    void close() override { calls.push_back("close"); }
};

struct Player : AnswerView {
    FakeOutput output;
    std::vector<TonalyteAnswer> shown;
    std::vector<std::int64_t> shownMs;
    RealTimeSession session;
    explicit Player(TonalyteEngine &library) : session(library, &output, *this) {}
    ~Player() override { session.stop(); }
    void showAnswer(const TonalyteAnswer &key, std::int64_t ms) override { shown.push_back(key), shownMs.push_back(ms); }

    // "60+100" for a note-on, "60-" for a note-off, "." for an event that is no analysed note.
    Texts tagged(const std::vector<NoteEvent> &notes) const
    {
        Texts out;
        for (const auto &e : output.events) {
            if (e.tag == 0) {
                out.push_back(".");
                continue;
            }
            const NoteEvent &n = notes[std::size_t(e.tag - 1)];
            out.push_back(std::to_string(n.note) + (n.on ? '+' + std::to_string(n.velocity) : std::string("-")));
        }
        return out;
    }
};

OpenFile open(const midiwriter::File &f)
{
    OpenFile file;
    EXPECT_TRUE(file.openBytes(f.bytes()));
    return file;
}

struct RealTimeTest : ::testing::Test {
    TestClock clock;
    LinkedTonalyte library;

    void SetUp() override { library.setTickSource(&clock); }
    void TearDown() override { library.setTickSource(nullptr); }
};

} // namespace

TEST_F(RealTimeTest, PlayListHoldsEveryEventOfTheChosenTracks)
{
    // Track 2: a piano note, a note-on of velocity 0, a drum hit, a note on channel 16,
    // a program change, end of track; track 3: one note from tick 0 again.
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000).at(960).tempo(250000); // later tempos are not followed
    f.addTrack()
        .note(0, 60, 100, 480)
        .noteOn(0, 62, 90).wait(240).noteOn(0, 62, 0)
        .noteOn(9, 36, 127).wait(10).noteOff(9, 36)
        .noteOn(15, 70, 100).wait(10).noteOff(15, 70)
        .programChange(0, 5);
    f.addTrack().note(1, 64, 80, 960);
    const OpenFile file = open(f);

    const Texts piano{"60+100", "60-", "62+90", "62-"};
    const auto with = [&piano](const Texts &more) {
        Texts all = piano;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const std::pair<bool, Texts> cases[] = {
        {true, with({".", ".", ".", ".", ".", ".", "64+80", "64-", "."})}, // All
        {false, with({"36+127", "36-", ".", ".", ".", "."})},               // Track 01 alone
    };
    for (const auto &[all, tags] : cases) {
        SCOPED_TRACE(all ? "All" : "Track 01");
        Player p(library);
        p.session.prepare();
        ASSERT_TRUE(p.session.compose(file, {all, 0}));
        const PlayList list = buildPlayList(file.midi(), *file.tracks({all, 0}), all, file.msPerTick());
        EXPECT_EQ(p.tagged(list.notes), tags);
        EXPECT_EQ(p.output.calls, (Texts{"stop", "close", "open"}));
        EXPECT_TRUE(p.output.events == list.events);
        // 480 ticks at 1.0416666 ms each: 499.99997 ms, rounded to 500.
        EXPECT_EQ(p.output.events[1].ms, 500);
        EXPECT_EQ(p.output.events[3].ms, 750);
        if (all) { // every track is timed from the start of the file
            EXPECT_EQ(p.output.events.back().ms, 1000);
        }
        EXPECT_TRUE(p.session.start(false));
        EXPECT_EQ(p.output.calls.back(), "play");
    }
}

// Half a millisecond per tick: ticks 1, 3 and 5 fall on halves and go to the even side.
TEST(PlayTime, RoundsHalfToEven)
{
    EXPECT_EQ(playTime(0.5f, 1), 0);
    EXPECT_EQ(playTime(0.5f, 3), 2);
    EXPECT_EQ(playTime(0.5f, 5), 2);
    EXPECT_EQ(playTime(1e6f, 1 << 30), INT_MAX);
}

TEST_F(RealTimeTest, TrackChoice)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    for (int i = 1; i < 5; ++i)
        f.addTrack().note(0, 60, 100, 480);
    const OpenFile file = open(f);
    Player p(library);
    EXPECT_FALSE(p.session.compose(file, {false, 11})); // "Track 12" of five
    EXPECT_TRUE(p.session.compose(file, {false, -1}));  // no item chosen: the tempo track
    EXPECT_EQ(p.output.events.size(), 2u);
}

TEST_F(RealTimeTest, PlayedNotesShowTheKeyLive)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72})
        t.note(0, note, 100, 480);
    Player p(library);
    ASSERT_TRUE(p.session.compose(open(f), {true, 0}));
    ASSERT_TRUE(p.session.start(false));
    // Each note held 8 ms, with 1 ms between notes.
    for (int tag = 1; tag <= 16; ++tag) {
        p.session.played(tag);
        clock.advance(tag % 2 ? 8 : 1);
    }
    p.session.played(0); // no analysed note: nothing to show
    EXPECT_EQ(library.KeyGetTimeTCnt(), 8 * 9);
    ASSERT_EQ(p.shown.size(), 16u);
    EXPECT_EQ(p.shown.front().keyCode, 0);
    EXPECT_EQ(text::playedNote(p.shown[0].note.note, p.shown[0].note.velocity, p.shown[0].note.on), "Note 060 On 100");
    EXPECT_EQ(text::playedNote(p.shown[1].note.note, p.shown[1].note.velocity, p.shown[1].note.on), "Note 060 Off");
    const TonalyteAnswer &last = p.shown.back();
    EXPECT_EQ(last.keyCode, 160);
    EXPECT_EQ(last.inputCount, library.KeyGetInpTCnt());

    p.output.calls.clear();
    p.session.stop();
    EXPECT_EQ(p.output.calls, (Texts{"stop", "close"}));
    const KeyReports reports = p.session.report(false, true, KeyCountChoice::Two);
    ASSERT_TRUE(reports.overall.hasKey());
    EXPECT_FALSE(reports.timing.barTiming);
    EXPECT_EQ(text::timelinePoints(reports.timing).front().substr(0, 6), "00:00 ");
}

// The window's queue may hand a played note over late: it keeps its time in the play, and
// the play is known to be fed only up to a note due but not yet handed over.
TEST_F(RealTimeTest, LateNotesKeepTheirPlayTime)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    f.addTrack().note(0, 60, 100, 480).note(0, 62, 100, 480); // at 0, 500, 500 and 1000 ms
    Player p(library);
    ASSERT_TRUE(p.session.compose(open(f), {true, 0}));
    ASSERT_TRUE(p.session.start(false));
    clock.advance(300);
    EXPECT_EQ(p.session.fedUpTo(), 0);
    p.session.played(1);
    EXPECT_EQ(p.session.fedUpTo(), 300);
    clock.advance(900);
    EXPECT_EQ(p.session.fedUpTo(), 500);
    p.session.played(2), p.session.played(3), p.session.played(4);
    EXPECT_EQ(p.shownMs, (std::vector<std::int64_t>{0, 500, 500, 1000}));
    EXPECT_EQ(p.session.fedUpTo(), 1200);
}

TEST_F(RealTimeTest, RejectedNoteStopsEverything)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    f.addTrack().note(0, 60, 100, 480).note(0, 1, 100, 480);
    RefusingTonalyte refusing(library, 1);
    Player p(refusing);
    ASSERT_TRUE(p.session.compose(open(f), {true, 0}));
    ASSERT_TRUE(p.session.start(false));
    p.session.played(1);
    p.output.calls.clear();
    p.session.played(3); // note 1, refused
    EXPECT_EQ(p.shown.back().keyCode, -1);
    EXPECT_EQ(p.output.calls, (Texts{"stop", "close"}));
}

TEST(Clock, ShowsMinutesAndSeconds)
{
    EXPECT_EQ(text::clock(0), "00:00");
    EXPECT_EQ(text::clock(65999), "01:05");
    EXPECT_EQ(text::clock(4294967295u), "71582:47");
}
