// "1- Real Time Play" through the window's procedures: the play list it composes, the
// live feed of played notes, and the end of play.
#include "fakedisplay.h"
#include "midiwriter.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <thread>

using namespace tunedeck;

namespace {

struct Player {
    FakeDisplay display;
    FakeOutput output;
    std::unique_ptr<ZonLogic> logic;
    explicit Player(TonalyteLibrary &library)
    {
        logic = std::make_unique<ZonLogic>(library, display, &output);
        display.logic = logic.get();
    }
    ~Player() { logic->stopPlayback(); }
    QString operator[](Caption c) const { return display[c]; }
    QList<qint32> tags() const
    {
        QList<qint32> t;
        for (const auto &e : output.events)
            t << e.tag;
        return t;
    }
    // Plays a note as the output would report it, held for a few real milliseconds.
    void playNote(int note)
    {
        logic->MIDIOutput1_PlayedEvent(1000000 + note * 1000 + 100);
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
        logic->MIDIOutput1_PlayedEvent(1000000 + note * 1000);
    }
};

} // namespace

class RealTimeTest : public QObject {
    Q_OBJECT

    TestFiles files;
    TonalyteLibrary library{QStringLiteral(TONALYTE_TEST_LIBRARY)};

    QString save(const midiwriter::File &f) { return files.save(f); }

    QString oneNoteFile()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().note(0, 60, 100, 480);
        return save(f);
    }

private slots:
    void playListHoldsEveryEventOfTheChosenTracks_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<QList<qint32>>("tags");
        // Track 2: a piano note, a note-on of velocity 0, a drum hit, a note on channel 16,
        // a program change, end of track; track 3: one note from tick 0 again.
        const QList<qint32> piano{1060100, 1060000, 1062090, 1062000};
        QTest::newRow("All") << true
                             << (piano + QList<qint32>{0, 0, 0, 0, 0, 0, 1064080, 1064000, 0});
        QTest::newRow("Track 01 alone") << false
                                        << (piano + QList<qint32>{1036127, 1036000, 0, 0, 0, 0});
    }

    void playListHoldsEveryEventOfTheChosenTracks()
    {
        QFETCH(bool, all);
        QFETCH(QList<qint32>, tags);
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000).at(960).tempo(250000); // later tempos are not followed
        f.addTrack()
            .note(0, 60, 100, 480)
            .noteOn(0, 62, 90).wait(240).noteOn(0, 62, 0)
            .noteOn(9, 36, 127).wait(10).noteOff(9, 36)
            .noteOn(15, 70, 100).wait(10).noteOff(15, 70)
            .programChange(0, 5);
        f.addTrack().note(1, 64, 80, 960);
        Player p(library);
        p.display.all = all;
        p.logic->setMidiFilePath(save(f));
        p.logic->CmdPlay_Click();

        QCOMPARE(p.tags(), tags);
        QCOMPARE(p.output.calls.first(4), (QStringList{"stop", "close", "device -1", "open"}));
        QCOMPARE(p.output.calls.last(), QStringLiteral("play"));
        // 480 ticks at 1.0416666 ms each: 499.99997 ms, rounded to 500.
        QCOMPARE(p.output.events[1].time, 500);
        QCOMPARE(p.output.events[2].time, 500);
        QCOMPARE(p.output.events[3].time, 750);
        if (all) {
            // Every track is timed from the start of the file.
            const auto third = std::find_if(p.output.events.begin(), p.output.events.end(),
                                            [](const auto &e) { return e.tag == 1064080; });
            QCOMPARE(third->time, 0);
            QCOMPARE(p.output.events.back().time, 1000);
        }
        QCOMPARE(p[Caption::LblMess], QStringLiteral("Playing ..."));
        QCOMPARE(p[Caption::LblError], QString());
        QCOMPARE(p[Caption::LblKqKey], QStringLiteral("*"));
        QCOMPARE(p[Caption::LblKType], QStringLiteral("Current Key"));
        QCOMPARE(p[Caption::LblKeyTiming], QStringLiteral("MM:SS Timing"));
        QCOMPARE(p[Caption::LblcTime], QStringLiteral("00:00"));
        QVERIFY(p.display.timerCTime && !p.display.timer1);
    }

    // Half a millisecond per tick: ticks 1, 3 and 5 fall on halves and go to the even side.
    void eventTimesRoundHalfToEven()
    {
        midiwriter::File f(1, 2);
        f.addTrack().tempo(1000);
        f.addTrack().wait(1).noteOn(0, 60, 1).wait(2).noteOn(0, 61, 1).wait(2).noteOn(0, 62, 1);
        Player p(library);
        p.logic->setMidiFilePath(save(f));
        p.logic->CmdPlay_Click();
        QCOMPARE(p.output.events[0].time, 0);
        QCOMPARE(p.output.events[1].time, 2);
        QCOMPARE(p.output.events[2].time, 2);
    }

    void trackChoice_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("tracks");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("events");
        QTest::newRow("All with one track chunk") << true << 1 << 0 << "" << 0;
        QTest::newRow("Track 12 of five") << false << 5 << 11 << "Track not found" << 0;
        QTest::newRow("no item selected: track 1") << false << 1 << -1 << "" << 2;
    }

    void trackChoice()
    {
        QFETCH(bool, all);
        QFETCH(int, tracks);
        QFETCH(int, position);
        QFETCH(QString, error);
        QFETCH(int, events);
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        for (int i = 1; i < tracks; ++i)
            f.addTrack().note(0, 60, 100, 480);
        Player p(library);
        p.display.all = all;
        p.display.track = position;
        p.logic->setMidiFilePath(save(f));
        p.logic->CmdPlay_Click();
        QCOMPARE(int(p.output.events.size()), events);
        if (!error.isEmpty()) {
            QCOMPARE(p[Caption::LblError], error);
            QCOMPARE(p[Caption::LblMess], QString());
            QVERIFY(!p.output.calls.contains(QStringLiteral("play")));
        }
    }

    void playedNotesShowTheKeyLive()
    {
        Player p(library);
        p.logic->setMidiFilePath(oneNoteFile());
        p.logic->CmdPlay_Click();

        p.logic->MIDIOutput1_PlayedEvent(1060100);
        QCOMPARE(p[Caption::LblMess], QStringLiteral("Note 060 On 100"));
        QCOMPARE(p[Caption::LblKqKey], QStringLiteral("*"));
        QCOMPARE(p[Caption::LblHaStr], QString());
        QCOMPARE(p.logic->LastEvCod, 144);
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
        p.logic->MIDIOutput1_PlayedEvent(1060000);
        QCOMPARE(p[Caption::LblMess], QStringLiteral("Note 060 Off"));
        QCOMPARE(p.logic->LastEvCod, 128);
        QCOMPARE(p.logic->LastEvVel, 0);

        for (int note : {62, 64, 65, 67, 69, 71, 72})
            p.playNote(note);
        QVERIFY(p.logic->CurKeyCode > 0);
        QCOMPARE(p[Caption::LblKqKey], QStringLiteral("%1").arg(p.logic->CurKeyCode, 3, 10, QLatin1Char('0')));
        QVERIFY(!p[Caption::LblKeyStr].isEmpty());
        QVERIFY(QRegularExpression(QStringLiteral("^-?\\d+ : -?\\d+$")).match(p[Caption::LblHaStr]).hasMatch());
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\.\\d{6}$")).match(p[Caption::LblError]).hasMatch());
        QCOMPARE(p[Caption::LblInpTCnt], QString::number(library.KeyGetInpTCnt()));

        // The end of the data, then the reports 1.5 s later in minutes and seconds.
        p.logic->MIDIOutput1_EndOfData();
        QCOMPARE(p[Caption::LblError], QStringLiteral("End Of Data"));
        QCOMPARE(p[Caption::LblMess], QString());
        QVERIFY(p.display.timer1);
        p.output.calls.clear();
        p.logic->Timer1_Timer();
        QVERIFY(!p.display.timer1);
        QCOMPARE(p.output.calls, (QStringList{"stop", "close"}));
        QCOMPARE(p[Caption::LblKType], QStringLiteral("Overall Key"));
        QVERIFY(!p.display.keyList.isEmpty());
        QVERIFY(!p.display.keyPoint.isEmpty());
        QVERIFY(p.display.keyPoint.first().startsWith(QLatin1String("00:00 ")));
    }

    void rejectedNoteStopsEverything()
    {
        Player p(library);
        p.logic->setMidiFilePath(oneNoteFile());
        p.logic->CmdPlay_Click();
        p.logic->MIDIOutput1_PlayedEvent(1060100);
        const QString key = p[Caption::LblKqKey];
        p.output.calls.clear();
        p.logic->MIDIOutput1_PlayedEvent(1000100); // note 0
        QCOMPARE(p[Caption::LblError], QStringLiteral("Tonalyte return error"));
        QCOMPARE(p.output.calls, (QStringList{"stop", "close"}));
        QCOMPARE(p.logic->CurKeyCode, -1);
        QCOMPARE(p[Caption::LblKqKey], key);
        QVERIFY(!p.display.timer1);
    }

    void stopAndErrors()
    {
        Player p(library);
        p.logic->CmdStop_Click();
        QCOMPARE(p[Caption::LblMess], QStringLiteral("Stoped"));
        QCOMPARE(p.output.calls, (QStringList{"stop", "close"}));
        p.logic->MIDIOutput1_Error();
        QCOMPARE(p[Caption::LblError], QStringLiteral("MIDIOutput1_Error"));
        p.logic->Midifile1_Error();
        QCOMPARE(p[Caption::LblError], QStringLiteral("Midifile1_Error"));
        // A refused file leaves the play clock running and plays nothing new.
        p.output.calls.clear();
        p.logic->setMidiFilePath(QString());
        p.logic->CmdPlay_Click();
        QCOMPARE(p[Caption::LblError], QStringLiteral("File Open Error"));
        QVERIFY(p.output.calls.isEmpty());
        QVERIFY(p.display.timerCTime);
    }

    void clockShowsMinutesAndSeconds()
    {
        Player p(library);
        library.KeyClearEvs();
        p.logic->TimerCTime_Timer();
        QCOMPARE(p[Caption::LblcTime], QStringLiteral("00:00"));
    }
};

QTEST_APPLESS_MAIN(RealTimeTest)
#include "realtimetest.moc"
