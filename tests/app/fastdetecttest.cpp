// "2- Fast Detect" without the window: gathering, the feed order, the feed and its ends,
// and what tunedeck-detect shows of a run.
#include "detectreport.h"
#include "fakedisplay.h"
#include "fastdetect/fastdetection.h"
#include "midiwriter.h"
#include "reports/runreports.h"

#include <QTest>

using namespace tunedeck;

namespace {

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

NoteEvent ev(std::int32_t tick, int note, int velocity, std::int32_t track = 2)
{
    return makeNoteEvent(tick, velocity > 0 ? 0x90 : 0x80, note, velocity, track);
}

} // namespace

class FastDetectTest : public QObject {
    Q_OBJECT

    TestFiles files;
    TonalyteLibrary library{QStringLiteral(TONALYTE_TEST_LIBRARY)};

    DetectResult detect(const midiwriter::File &f, FastOptions options = {})
    {
        DetectResult r;
        OpenFile file;
        if (const OpenResult opened = file.open(files.save(f).toStdString()); !opened)
            refuse(r, opened.error());
        else
            r.run = detectKey(library, file, options);
        return r;
    }

private slots:
    // A broken C major cadence with a low and a high C: both keys move by the interval, and
    // the notes pushed out of 1..127 are left out and counted.
    void transposeMovesBothKeys()
    {
        midiwriter::File f = withTempoTrack();
        auto &t = f.addTrack();
        for (int round = 0; round < 4; ++round)
            for (int note : {48, 52, 55, 60, 53, 57, 60, 65, 55, 59, 62, 65, 67, 71, 72, 67, 64, 60})
                t.note(0, note, 90, 240);
        t.note(0, 12, 60, 240).note(0, 120, 60, 240);
        const std::tuple<int, int, int> cases[] = {{0, 160, 0}, {2, 162, 0}, {-3, 169, 0}, {7, 167, 0}, {12, 160, 1}, {-12, 160, 1}};
        for (const auto &[semitones, key, leftOut] : cases) { // key: 160 + the major tonic's pitch class
            FastOptions options;
            options.adjust.transpose = semitones;
            DetectResult r = detect(f, options);
            analyseProfile(r, 480, {});
            QCOMPARE(r.run.keyCode, key);
            QCOMPARE(r.profile->keyCode, key);
            QCOMPARE(r.run.leftOut, leftOut);
        }
    }

    void wholeRunEndsWithBothReports()
    {
        midiwriter::File f = withTempoTrack();
        addScale(f.addTrack());
        const DetectResult r = detect(f);
        const DetectTexts c = detectTexts(r);
        QCOMPARE(r.run.outcome, FastOutcome::Reported);
        QCOMPARE(r.run.ticksPerBar, 1920);
        QCOMPARE(c.mess, QStringLiteral(" 30"));
        QCOMPARE(c.cTime, QStringLiteral("0004")); // tick 7200 in 1920-tick bars
        QCOMPARE(c.keyTiming, QStringLiteral("4/4 Meter Timing"));
        QCOMPARE(c.kType, QStringLiteral("Overall Key"));
        QCOMPARE(c.error, QString());
        QCOMPARE(c.kqKey, QStringLiteral("160"));
        QCOMPARE(c.keyStr, QStringLiteral("C Major"));
        QCOMPARE(c.signat, QStringLiteral("00"));
        QVERIFY(c.haStr.startsWith(QLatin1String("Probability = ")));
        QVERIFY(c.keyList.first().endsWith(QLatin1String("% = (00) C Major")));
        // F major held briefly before the B decided C major, in the same first region.
        QCOMPARE(c.keyPoint, QStringList{QStringLiteral("0001: C Major")});

        // A note-on of velocity 0 ends the note exactly like a note-off.
        midiwriter::File zeros = withTempoTrack();
        midiwriter::Track &t = zeros.addTrack();
        for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60})
            t.noteOn(0, note, 100).wait(480).noteOn(0, note, 0);
        const DetectTexts z = detectTexts(detect(zeros));
        QCOMPARE(z.keyList, c.keyList);
        QCOMPARE(z.keyPoint, c.keyPoint);

        // 6/8 counts three quarters a bar.
        FastOptions sixEight;
        sixEight.meter = 3;
        const DetectResult m = detect(f, sixEight);
        QCOMPARE(m.run.ticksPerBar, 1440);
        QCOMPARE(detectTexts(m).keyTiming, QStringLiteral("6/8 Meter Timing"));
        QCOMPARE(detectTexts(m).cTime, QStringLiteral("0006"));
    }

    void earlyExits_data()
    {
        QTest::addColumn<int>("fileKind");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("track");
        QTest::addColumn<FastOutcome>("outcome");
        enum { DrumsOnly, SingleTrack, ThreeTracks, Channel16 };
        QTest::newRow("drums with All") << int(DrumsOnly) << true << 0 << FastOutcome::NoData;
        QTest::newRow("drum track alone is fed") << int(DrumsOnly) << false << 0 << FastOutcome::Reported;
        QTest::newRow("one track chunk, All") << int(SingleTrack) << true << 0 << FastOutcome::NoData;
        QTest::newRow("one track chunk, Track 01") << int(SingleTrack) << false << 0 << FastOutcome::TrackNotFound;
        QTest::newRow("Track 03 of three") << int(ThreeTracks) << false << 2 << FastOutcome::TrackNotFound;
        QTest::newRow("channel 16, All") << int(Channel16) << true << 0 << FastOutcome::NoData;
        QTest::newRow("channel 16 alone") << int(Channel16) << false << 0 << FastOutcome::NoData;
    }

    void earlyExits()
    {
        QFETCH(int, fileKind);
        QFETCH(bool, all);
        QFETCH(int, track);
        QFETCH(FastOutcome, outcome);
        midiwriter::File f = withTempoTrack();
        if (fileKind == 0)
            addScale(f.addTrack(), 9);
        else if (fileKind == 2) {
            addScale(f.addTrack());
            addScale(f.addTrack());
        } else if (fileKind == 3)
            addScale(f.addTrack(), 15);
        FastOptions options;
        options.tracks = {all, track};
        const DetectResult r = detect(f, options);
        QCOMPARE(r.run.outcome, outcome);
        const DetectTexts c = detectTexts(r);
        if (outcome == FastOutcome::NoData)
            QCOMPARE(c.mess, QStringLiteral("No Data"));
        if (outcome == FastOutcome::TrackNotFound)
            QCOMPARE(c.error, QStringLiteral("Track not found"));
        QCOMPARE(c.keyList.isEmpty(), outcome != FastOutcome::Reported);
    }

    // One time order from tracks that each start at 0: ascending tick; at one tick the
    // first 32000 gathered before the rest, then note-ons before note-offs, by note and
    // velocity; equal events keep their gathering order.
    void feedOrder()
    {
        std::vector<NoteEvent> events{ev(0, 60, 100), ev(960, 62, 100), ev(0, 67, 90, 3), ev(480, 64, 0, 3),
                                      ev(480, 64, 80, 3)};
        putInFeedOrder(events);
        const std::vector<NoteEvent> expected{ev(0, 60, 100), ev(0, 67, 90, 3), ev(480, 64, 80, 3),
                                              ev(480, 64, 0, 3), ev(960, 62, 100)};
        QVERIFY(events == expected);

        // Across the old store boundary a tie goes to the earlier group, whatever its note.
        std::vector<NoteEvent> many;
        for (int i = 0; i < 31999; ++i)
            many.push_back(ev(100 + i, 60, 100));
        many.push_back(ev(50, 99, 100, 5)); // number 31999: the first group
        many.push_back(ev(50, 40, 100, 6)); // number 32000: the second
        many.push_back(ev(10, 40, 100, 7));
        many.push_back(ev(50, 40, 100, 5)); // equal to the one before it in the second group
        putInFeedOrder(many);
        QCOMPARE(many[0].track, 7);
        QCOMPARE(int(many[1].note), 99);
        QCOMPARE(many[2].track, 6);
        QCOMPARE(many[3].track, 5);
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
        const DetectTexts c = detectTexts(detect(f));
        if (events == 64000) {
            QCOMPARE(c.mess, QStringLiteral(" 64000"));
            return;
        }
        QCOMPARE(c.error, QStringLiteral("Out of buffer"));
        QCOMPARE(c.mess, QStringLiteral("Canceled"));
        QCOMPARE(c.keyList, QStringList{QStringLiteral("Error")});
        QCOMPARE(c.haStr, QStringLiteral("Max =  64000"));
        QCOMPARE(c.kqKey, QStringLiteral("*"));
    }

    // Cancelled after its 20th event, the run is still reported on what was fed.
    void cancelledFeed()
    {
        midiwriter::File f = withTempoTrack();
        addScale(f.addTrack());
        OpenFile file;
        QVERIFY(file.open(files.save(f).toStdString()));
        FastRunHooks hooks;
        QList<int> handled;
        hooks.keepGoing = [&](const FeedProgress &p) {
            handled << p.handled;
            return handled.size() < 20;
        };
        FastDetection run = runFastDetection(library, file, {}, hooks);
        QCOMPARE(handled.size(), 20);
        QCOMPARE(handled.last(), 19);
        QCOMPARE(run.outcome, FastOutcome::Cancelled);
        QCOMPARE(run.feed.handled, 19);
        reportFastDetection(library, run, false, true, KeyCountChoice::Two);
        QVERIFY(run.reports.overall.hasKey());
    }

    void libraryRejectionEndsWithoutReports()
    {
        midiwriter::File f = withTempoTrack();
        f.addTrack().note(0, 60, 100, 480).note(0, 0, 100, 480).note(0, 62, 100, 480);
        const DetectResult r = detect(f);
        const DetectTexts c = detectTexts(r);
        QCOMPARE(r.run.outcome, FastOutcome::LibraryError);
        QCOMPARE(c.error, QStringLiteral("Tonalyte return error"));
        QCOMPARE(c.mess, QStringLiteral(" 1")); // at tick 480 note 0 starts before 60 ends
        QCOMPARE(c.kType, QStringLiteral("Current Key"));
        QCOMPARE(r.run.keyCode, -1);
    }

    // Past 32767 bars the number keeps counting instead of wrapping.
    void barNumberOfTheFedEvent()
    {
        library.KeyClearEvs();
        library.KeySetDetectMode(1);
        const std::vector<NoteEvent> events{ev(1919, 60, 100), ev(19200000, 60, 0), ev(1920 * 40000, 60, 100)};
        std::vector<std::int64_t> bars;
        feedEvents(library, events, 1920, [&](const FeedProgress &p) {
            bars.push_back(p.bar);
            return true;
        });
        QCOMPARE(bars, (std::vector<std::int64_t>{1, 10001, 40001}));
        QCOMPARE(text::bar(bars[1]), std::string("10001"));
    }
};

QTEST_APPLESS_MAIN(FastDetectTest)
#include "fastdetecttest.moc"
