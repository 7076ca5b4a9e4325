// "2- Fast Detect" from the file to the reports, driven through the window's procedures.
#include "fakedisplay.h"
#include "midiwriter.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tunedeck;

namespace {

// C major up and down in quarter notes: 15 notes, 30 events, the last at tick 7200.
void addScale(midiwriter::Track &t, int channel = 0)
{
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60})
        t.note(channel, note, 100, 480);
}

struct Run {
    FakeDisplay display;
    std::unique_ptr<ZonLogic> logic;
    Run(TonalyteLibrary &library)
    {
        logic = std::make_unique<ZonLogic>(library, display, nullptr);
        display.logic = logic.get();
    }
    void start(const QString &path)
    {
        logic->setMidiFilePath(path);
        logic->CmdFastDetect_Click();
    }
    QString operator[](Caption c) const { return display[c]; }
};

} // namespace

class FastDetectTest : public QObject {
    Q_OBJECT

    TestFiles files;
    TonalyteLibrary library{QStringLiteral(TONALYTE_TEST_LIBRARY)};

    QString save(const midiwriter::File &f) { return files.save(f); }

    static midiwriter::File withTempoTrack()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        return f;
    }

private slots:
    void wholeRunEndsWithBothReports()
    {
        midiwriter::File f = withTempoTrack();
        addScale(f.addTrack());
        Run run(library);
        run.display.timer1 = run.display.timerCTime = true;
        run.start(save(f));

        QCOMPARE(run[Caption::LblMess], QStringLiteral(" 30"));
        QCOMPARE(run[Caption::LblcTime], QStringLiteral("0004")); // tick 7200 in 1920-tick bars
        QCOMPARE(run[Caption::LblKeyTiming], QStringLiteral("4/4 Meter Timing"));
        QCOMPARE(run[Caption::LblKType], QStringLiteral("Overall Key"));
        QCOMPARE(run[Caption::LblError], QString());
        QCOMPARE(run[Caption::LblKqKey], QStringLiteral("160"));
        QCOMPARE(run[Caption::LblKeyStr], QStringLiteral("C Major"));
        QCOMPARE(run[Caption::LblSignat], QStringLiteral("00"));
        QVERIFY(run[Caption::LblHaStr].startsWith(QLatin1String("Probability = ")));
        QVERIFY(!run.display.keyList.isEmpty());
        QVERIFY(run.display.keyList.first().endsWith(QLatin1String("% = (00) C Major")));
        QCOMPARE(run.display.keyListIndex, 0);
        // F major held briefly before the B decided C major, in the same first region.
        QCOMPARE(run.display.keyPoint, QStringList{QStringLiteral("0001: C Major")});
        QVERIFY(run.display.startButtonsEnabled);
        QVERIFY(!run.display.timer1 && !run.display.timerCTime);
        QVERIFY(!run.logic->FastBusy);
        QCOMPARE(run.logic->TicksPerBar, 1920);
    }

    // A note-on of velocity 0 ends the note exactly like a note-off.
    void velocityZeroNoteOnIsANoteOff()
    {
        midiwriter::File offs = withTempoTrack(), zeros = withTempoTrack();
        addScale(offs.addTrack());
        midiwriter::Track &t = zeros.addTrack();
        for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60})
            t.noteOn(0, note, 100).wait(480).noteOn(0, note, 0);
        Run a(library), b(library);
        a.start(save(offs));
        b.start(save(zeros));
        QCOMPARE(b.display.keyList, a.display.keyList);
        QCOMPARE(b.display.keyPoint, a.display.keyPoint);
    }

    void earlyExits_data()
    {
        QTest::addColumn<int>("fileKind");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("mess");
        QTest::addColumn<QString>("error");
        enum { DrumsOnly, SingleTrack, ThreeTracks, Channel16 };
        QTest::newRow("drums with All") << int(DrumsOnly) << true << 0 << "No Data" << "";
        QTest::newRow("one track chunk, All") << int(SingleTrack) << true << 0 << "No Data" << "";
        QTest::newRow("one track chunk, Track 01") << int(SingleTrack) << false << 0 << "" << "Track not found";
        QTest::newRow("Track 03 of three") << int(ThreeTracks) << false << 2 << "" << "Track not found";
        QTest::newRow("channel 16, All") << int(Channel16) << true << 0 << "No Data" << "";
        QTest::newRow("channel 16 alone") << int(Channel16) << false << 0 << "No Data" << "";
    }

    void earlyExits()
    {
        QFETCH(int, fileKind);
        QFETCH(bool, all);
        QFETCH(int, track);
        QFETCH(QString, mess);
        QFETCH(QString, error);
        midiwriter::File f = withTempoTrack();
        if (fileKind == 0)
            addScale(f.addTrack(), 9);
        else if (fileKind == 2) {
            addScale(f.addTrack());
            addScale(f.addTrack());
        } else if (fileKind == 3)
            addScale(f.addTrack(), 15);
        Run run(library);
        run.display.all = all;
        run.display.track = track;
        run.display.captions[Caption::LblError] = QStringLiteral("before");
        run.start(save(f));
        QCOMPARE(run[Caption::LblMess], mess);
        QCOMPARE(run[Caption::LblError], error.isEmpty() ? QStringLiteral("before") : error);
        QVERIFY(run.display.startButtonsEnabled);
        QVERIFY(!run.logic->FastBusy);
        QVERIFY(run.display.keyList.isEmpty());
    }

    // The drum track chosen on its own is analysed after all.
    void drumTrackChosenAloneIsFed()
    {
        midiwriter::File f = withTempoTrack();
        addScale(f.addTrack(), 9);
        Run run(library);
        run.display.all = false;
        run.start(save(f));
        QCOMPARE(run[Caption::LblMess], QStringLiteral(" 30"));
        QCOMPARE(run[Caption::LblKqKey], QStringLiteral("160"));
    }

    void storesGiveOneTimeOrder()
    {
        Run run(library);
        ZonLogic &z = *run.logic;
        // Two tracks, each timed from 0; then note-on before note-off at one tick.
        QCOMPARE(z.BufAddEvent(0, 1060100, 0), 1);
        QCOMPARE(z.BufAddEvent(960, 1062100, 1), 1);
        QCOMPARE(z.BufAddEvent(0, 1067090, 2), 1);
        QCOMPARE(z.BufAddEvent(480, 1064080, 3), 1);
        QCOMPARE(z.BufAddEvent(480, 2064000, 4), 1);
        const QList<QPair<int, int>> expected{
            {0, 1060100}, {0, 1067090}, {480, 1064080}, {480, 2064000}, {960, 1062100}};
        for (const auto &[time, code] : expected) {
            qint32 t = -1, c = -1;
            QCOMPARE(z.BufNextEvent(t, c), 1);
            QCOMPARE(t, time);
            QCOMPARE(c, code);
        }
        qint32 t = 7, c = 8;
        QCOMPARE(z.BufNextEvent(t, c), 0);
        QCOMPARE(t, 7);
        QCOMPARE(c, 8);
    }

    // The split follows gathering order; at one time the first store goes first.
    void splitAndCapacity()
    {
        Run run(library);
        ZonLogic &z = *run.logic;
        for (int i = 0; i < 31999; ++i)
            QCOMPARE(z.BufAddEvent(100 + i, 1060100, i), 1);
        QCOMPARE(z.BufAddEvent(50, 1099100, 31999), 1);
        QCOMPARE(z.BufAddEvent(50, 1040100, 32000), 1);
        QCOMPARE(z.BufAddEvent(10, 1040100, 63999), 1);
        QCOMPARE(z.BufAddEvent(10, 1040100, 64000), 0);
        qint32 t, c;
        z.BufNextEvent(t, c);
        QCOMPARE(t, 10);
        z.BufNextEvent(t, c);
        QCOMPARE(c, 1099100);
        z.BufNextEvent(t, c);
        QCOMPARE(c, 1040100);
    }

    void capacityOfARun_data()
    {
        QTest::addColumn<int>("events");
        QTest::newRow("64000 taken") << 64000;
        QTest::newRow("64001 taken") << 64001;
    }

    void capacityOfARun()
    {
        QFETCH(int, events);
        midiwriter::File f = withTempoTrack();
        midiwriter::Track &t = f.addTrack();
        for (int i = 0; i < events / 2; ++i)
            t.note(0, 60 + i % 12, 100, 10);
        if (events % 2)
            t.noteOn(0, 72, 100);
        Run run(library);
        run.start(save(f));
        if (events == 64000) {
            QCOMPARE(run[Caption::LblMess], QStringLiteral(" 64000"));
            return;
        }
        QCOMPARE(run[Caption::LblError], QStringLiteral("Out of buffer"));
        QCOMPARE(run[Caption::LblMess], QStringLiteral("Canceled"));
        QCOMPARE(run.display.keyList, QStringList{QStringLiteral("Error")});
        QCOMPARE(run.display.keyPoint, QStringList{QStringLiteral("Error")});
        QCOMPARE(run[Caption::LblHaStr], QStringLiteral("Max =  64000"));
        QCOMPARE(run[Caption::LblKqKey], QStringLiteral("*"));
        QVERIFY(run.display.startButtonsEnabled);
    }

    void stopCancelsTheFeed()
    {
        midiwriter::File f = withTempoTrack();
        addScale(f.addTrack());
        Run run(library);
        int processed = 0;
        run.display.onProcessEvents = [&] {
            if (++processed == 20)
                run.logic->CmdStop_Click();
        };
        run.start(save(f));
        QCOMPARE(processed, 20);
        QCOMPARE(run[Caption::LblMess], QStringLiteral("Canceled"));
        QCOMPARE(run[Caption::LblKType], QStringLiteral("Overall Key")); // reported on what was fed
        QVERIFY(!run.logic->CancelReq);
        run.logic->CmdStop_Click();
        QCOMPARE(run[Caption::LblMess], QStringLiteral("Stoped"));
    }

    void libraryRejectionEndsWithoutReports()
    {
        midiwriter::File f = withTempoTrack();
        f.addTrack().note(0, 60, 100, 480).note(0, 0, 100, 480).note(0, 62, 100, 480);
        Run run(library);
        run.start(save(f));
        QCOMPARE(run[Caption::LblError], QStringLiteral("Tonalyte return error"));
        QCOMPARE(run[Caption::LblMess], QStringLiteral(" 1")); // at tick 480 note 0 starts before 60 ends
        QCOMPARE(run[Caption::LblKType], QStringLiteral("Current Key"));
        QCOMPARE(run.logic->CurKeyCode, -1);
        QVERIFY(run.display.startButtonsEnabled);
    }

    void meterSetsTheBarLength()
    {
        midiwriter::File f = withTempoTrack();
        addScale(f.addTrack());
        Run run(library);
        run.display.meter = 3;
        run.start(save(f));
        QCOMPARE(run.logic->TicksPerBar, 1440);
        QCOMPARE(run[Caption::LblKeyTiming], QStringLiteral("6/8 Meter Timing"));
        QCOMPARE(run[Caption::LblcTime], QStringLiteral("0006"));
    }

    void barNumberOfTheFedEvent()
    {
        Run run(library);
        run.logic->TicksPerBar = 1920;
        library.KeyClearEvs();
        run.logic->FeedFastEvent(1919, 1060100);
        QCOMPARE(run[Caption::LblcTime], QStringLiteral("0001"));
        run.logic->FeedFastEvent(19200000, 2060000);
        QCOMPARE(run[Caption::LblcTime], QStringLiteral("10001"));
        // Past 32767 bars the number keeps counting instead of wrapping.
        run.logic->FeedFastEvent(1920 * 40000, 1060100);
        QCOMPARE(run[Caption::LblcTime], QStringLiteral("40001"));
    }
};

QTEST_APPLESS_MAIN(FastDetectTest)
#include "fastdetecttest.moc"
