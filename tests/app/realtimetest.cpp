// "1- Real Time Play" without the window: the play list the session composes, the live
// feed of played notes, timed by the test's clock, and the reports at the end.
#include "clockedtonalyte.h"
#include "fakedisplay.h"
#include "midiwriter.h"
#include "playback/realtimesession.h"

#include <QTest>

using namespace tunedeck;

namespace {

struct Player : AnswerView {
    FakeOutput output;
    std::vector<TonalyteAnswer> shown;
    RealTimeSession session;
    explicit Player(TonalyteEngine &library) : session(library, &output, *this) {}
    ~Player() override { session.stop(); }
    void showAnswer(const TonalyteAnswer &key) override { shown.push_back(key); }

    // "60+100" for a note-on, "60-" for a note-off, "." for an event that is no analysed note.
    QStringList tagged(const std::vector<NoteEvent> &notes) const
    {
        QStringList out;
        for (const auto &e : output.events) {
            if (e.tag == 0) {
                out << QStringLiteral(".");
                continue;
            }
            const NoteEvent &n = notes[std::size_t(e.tag - 1)];
            out << (n.on ? QStringLiteral("%1+%2").arg(n.note).arg(n.velocity) : QStringLiteral("%1-").arg(n.note));
        }
        return out;
    }
};

} // namespace

class RealTimeTest : public QObject {
    Q_OBJECT

    TestFiles files;
    TestClock clock;
    ClockedTonalyte engine{clock};
    LinkedTonalyte &library = engine.library;

    OpenFile open(const midiwriter::File &f)
    {
        OpenFile file;
        if (!file.open(files.save(f).toStdString()))
            QTest::qFail("the test file was refused", __FILE__, __LINE__);
        return file;
    }

private slots:
    void playListHoldsEveryEventOfTheChosenTracks_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("tags");
        // Track 2: a piano note, a note-on of velocity 0, a drum hit, a note on channel 16,
        // a program change, end of track; track 3: one note from tick 0 again.
        const QStringList piano{"60+100", "60-", "62+90", "62-"};
        QTest::newRow("All") << true << (piano + QStringList{".", ".", ".", ".", ".", ".", "64+80", "64-", "."});
        QTest::newRow("Track 01 alone") << false << (piano + QStringList{"36+127", "36-", ".", ".", ".", "."});
    }

    void playListHoldsEveryEventOfTheChosenTracks()
    {
        QFETCH(bool, all);
        QFETCH(QStringList, tags);
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
        Player p(library);
        p.session.prepare();
        QVERIFY(p.session.compose(file, {all, 0}));
        const PlayList list = buildPlayList(file.midi(), *file.tracks({all, 0}), all, file.msPerTick());
        QCOMPARE(p.tagged(list.notes), tags);
        QCOMPARE(p.output.calls, (QStringList{"stop", "close", "open"}));
        QVERIFY(p.output.events == list.events);
        // 480 ticks at 1.0416666 ms each: 499.99997 ms, rounded to 500.
        QCOMPARE(p.output.events[1].ms, 500);
        QCOMPARE(p.output.events[3].ms, 750);
        if (all) // every track is timed from the start of the file
            QCOMPARE(p.output.events.back().ms, 1000);
        QVERIFY(p.session.start(false));
        QCOMPARE(p.output.calls.last(), QStringLiteral("play"));
    }

    // Half a millisecond per tick: ticks 1, 3 and 5 fall on halves and go to the even side.
    void eventTimesRoundHalfToEven()
    {
        QCOMPARE(playTime(0.5f, 1), 0);
        QCOMPARE(playTime(0.5f, 3), 2);
        QCOMPARE(playTime(0.5f, 5), 2);
        QCOMPARE(playTime(1e6f, 1 << 30), INT_MAX);
    }

    void trackChoice()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        for (int i = 1; i < 5; ++i)
            f.addTrack().note(0, 60, 100, 480);
        const OpenFile file = open(f);
        Player p(library);
        QVERIFY(!p.session.compose(file, {false, 11})); // "Track 12" of five
        QVERIFY(p.session.compose(file, {false, -1}));  // no item chosen: the tempo track
        QCOMPARE(int(p.output.events.size()), 2);
    }

    void playedNotesShowTheKeyLive()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &t = f.addTrack();
        for (int note : {60, 62, 64, 65, 67, 69, 71, 72})
            t.note(0, note, 100, 480);
        Player p(library);
        QVERIFY(p.session.compose(open(f), {true, 0}));
        QVERIFY(p.session.start(false));
        // Each note held 8 ms, 1 ms between them.
        for (int tag = 1; tag <= 16; ++tag) {
            p.session.played(tag);
            clock.advance(tag % 2 ? 8 : 1);
        }
        p.session.played(0); // no analysed note: nothing to show
        QCOMPARE(int(p.shown.size()), 16);
        QCOMPARE(p.shown.front().keyCode, 0);
        QCOMPARE(text::playedNote(p.shown[0].note.note, p.shown[0].note.velocity, p.shown[0].note.on),
                 QStringLiteral("Note 060 On 100"));
        QCOMPARE(text::playedNote(p.shown[1].note.note, p.shown[1].note.velocity, p.shown[1].note.on),
                 QStringLiteral("Note 060 Off"));
        const TonalyteAnswer &last = p.shown.back();
        QCOMPARE(last.keyCode, 160);
        QCOMPARE(last.inputCount, library.KeyGetInpTCnt());

        p.output.calls.clear();
        p.session.stop();
        QCOMPARE(p.output.calls, (QStringList{"stop", "close"}));
        const KeyReports reports = p.session.report(false, true, KeyCountChoice::Two);
        QVERIFY(reports.overall.hasKey());
        QVERIFY(!reports.timing.barTiming);
        QVERIFY(text::timelinePoints(reports.timing).first().startsWith(QLatin1String("00:00 ")));
    }

    void rejectedNoteStopsEverything()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().note(0, 60, 100, 480).note(0, 0, 100, 480);
        Player p(library);
        QVERIFY(p.session.compose(open(f), {true, 0}));
        QVERIFY(p.session.start(false));
        p.session.played(1);
        p.output.calls.clear();
        p.session.played(3); // note 0
        QCOMPARE(p.shown.back().keyCode, -1);
        QCOMPARE(p.output.calls, (QStringList{"stop", "close"}));
    }

    void clockShowsMinutesAndSeconds()
    {
        QCOMPARE(text::clock(0), QStringLiteral("00:00"));
        QCOMPARE(text::clock(65999), QStringLiteral("01:05"));
        QCOMPARE(text::clock(4294967295u), QStringLiteral("71582:47"));
    }
};

QTEST_APPLESS_MAIN(RealTimeTest)
#include "realtimetest.moc"
