#include "playback/midisink.h"
#include "playback/playlistoutput.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using tunedeck::MidiSink;
using tunedeck::PlayListOutput;
using tunedeck::SoundOptions;

namespace {

using Clock = std::chrono::steady_clock;

// Records, from the playing thread, what reaches the synthesizer and when.
class RecordingSink : public MidiSink {
public:
    void started(Clock::time_point origin) override
    {
        std::lock_guard lock(mutex);
        origin_ = origin;
    }
    bool send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override
    {
        std::lock_guard lock(mutex);
        sent << QStringLiteral("%1 %2 %3").arg(status, 2, 16).arg(data1).arg(data2);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - origin_).count());
        return !failing;
    }
    void allOff() override
    {
        std::lock_guard lock(mutex);
        allOffAfter.push_back(int(sent.size()));
    }
    qsizetype sentCount()
    {
        std::lock_guard lock(mutex);
        return sent.size();
    }

    std::mutex mutex;
    QStringList sent;
    std::vector<double> ms;       // since the start of play
    std::vector<int> allOffAfter; // messages sent before each allOff
    std::atomic<bool> failing{false};

private:
    Clock::time_point origin_ = Clock::now();
};

// An open output on a recording sink, with its notifications in arrival order.
struct Rig {
    Rig()
    {
        out.setSink(sink);
        QObject::connect(&out, &PlayListOutput::playedEvent, &out, [this](qint32 tag) { log << QString::number(tag); });
        QObject::connect(&out, &PlayListOutput::endOfData, &out, [this] { log << "end"; });
        QObject::connect(&out, &PlayListOutput::error, &out, [this] { log << "error"; });
        out.open();
    }
    void append(qint32 ms, qint32 tag, std::uint8_t status, std::uint8_t data1 = 0, std::uint8_t data2 = 0)
    {
        out.append({ms, status, data1, data2, 0, tag});
    }
    // Waits without running the event loop, so notifications stay queued.
    bool waitForSent(qsizetype count)
    {
        QElapsedTimer timer;
        timer.start();
        while (sink->sentCount() < count && timer.elapsed() < 2000)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return sink->sentCount() >= count;
    }

    std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
    PlayListOutput out;
    QStringList log;
};

} // namespace

class PlayListOutputTest : public QObject {
    Q_OBJECT

private slots:
    void playsInTimeOrderAndNotifiesTaggedEvents()
    {
        Rig rig;
        // Track after track, as the window appends them.
        rig.append(40, 4, 0x90, 60, 100);
        rig.append(60, 0, 0x80, 60, 0);
        rig.append(0, 1, 0xFF, 0x51, 3);     // meta: timed and notified, never sent
        rig.append(0, 0, 0xC0, 5, 99);       // program change: one data byte
        rig.append(20, 2, 0x90, 62, 90);
        rig.append(20, 3, 0x80, 62, 0);      // equal times keep append order
        rig.append(20, 0, 0xB0, 7, 100);
        rig.append(30, 0, 0xF0, 0x7E, 0x7F); // system exclusive
        rig.append(30, 5, 0xF7, 1, 2);
        rig.append(35, 0, 0xD1, 64, 77);     // channel pressure: one data byte
        rig.append(35, 0, 0xE1, 0, 64);      // pitch bend: two
        rig.out.play();
        QVERIFY(rig.out.isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(rig.log.size(), 6, 2000);
        QTest::qWait(80); // a second end of data would arrive by now

        QCOMPARE(rig.log, QStringList({"1", "2", "3", "5", "4", "end"}));
        QCOMPARE(rig.sink->sent, QStringList({"c0 5 0", "90 62 90", "80 62 0", "b0 7 100", "d1 64 0", "e1 0 64",
                                              "90 60 100", "80 60 0"}));
        QVERIFY(!rig.out.isPlaying());
    }

    void equalTimesKeepAppendOrderInLongLists()
    {
        Rig rig;
        QStringList early, late;
        for (int k = 1; k <= 80; ++k) {
            rig.append(k % 3 == 0 ? 30 : 10, k, 0xB0, k, 0);
            (k % 3 == 0 ? late : early) << QString::number(k);
        }
        rig.out.play();
        QTRY_VERIFY_WITH_TIMEOUT(rig.log.contains("end"), 2000);
        QCOMPARE(rig.log, early + late + QStringList{"end"});
    }

    void emptyListAndReplayEndOnceEach()
    {
        Rig rig;
        rig.out.play();
        QTRY_COMPARE_WITH_TIMEOUT(rig.log, QStringList({"end"}), 1000);
        // Playing again without a stop starts over and ends once more.
        rig.append(0, 7, 0x90, 60, 1);
        rig.out.play();
        rig.out.play();
        QTRY_COMPARE_WITH_TIMEOUT(rig.log.size(), 3, 1000);
        QTest::qWait(50);
        QCOMPARE(rig.log, QStringList({"end", "7", "end"}));
    }

    void keepsEventTimes()
    {
        Rig rig;
        rig.append(200, 2, 0x90, 64, 80);
        rig.append(100, 1, 0x90, 62, 80);
        rig.append(-50, 0, 0xB0, 64, 0); // before the start plays at the start
        QElapsedTimer clock;
        clock.start();
        rig.out.play();
        QTRY_VERIFY_WITH_TIMEOUT(rig.log.contains("1"), 2000);
        QVERIFY2(clock.elapsed() >= 95, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(rig.log.contains("2"), 2000);
        QVERIFY2(clock.elapsed() >= 190, qPrintable(QString::number(clock.elapsed())));

        QCOMPARE(rig.sink->sent.size(), 3);
        QVERIFY(rig.sink->ms[1] >= 100 && rig.sink->ms[2] >= 200); // never early
        QVERIFY2(rig.sink->ms[2] < 1000, qPrintable(QString::number(rig.sink->ms[2])));
    }

    // A seek goes on from a point: every sound off, the channels' settings from before the
    // point at once and in order, then the later events timed from the point; the earlier
    // notes are neither sent nor notified.
    void playFromSetsTheChannelsThenGoesOn()
    {
        Rig rig;
        rig.append(0, 0, 0xC1, 40);
        rig.append(0, 1, 0x91, 60, 90);
        rig.append(100, 0, 0xB1, 7, 50);
        rig.append(150, 0, 0xE1, 0, 70);
        rig.append(200, 2, 0x81, 60, 0);
        rig.append(300, 0, 0xC1, 41);
        rig.append(300, 3, 0x91, 62, 90);
        rig.out.playFrom(250);
        QTRY_VERIFY_WITH_TIMEOUT(rig.log.contains("end"), 2000);
        QCOMPARE(rig.log, QStringList({"3", "end"}));
        QCOMPARE(rig.sink->sent, QStringList({"c1 40 0", "b1 7 50", "e1 0 70", "c1 41 0", "91 62 90"}));
        QCOMPARE(rig.sink->allOffAfter.front(), 0);
        QVERIFY2(rig.sink->ms[3] >= 50, qPrintable(QString::number(rig.sink->ms[3])));
    }

    void stopSilencesAndDropsQueuedNotifications()
    {
        Rig rig;
        for (int k = 0; k < 20; ++k)
            rig.append(0, 100 + k, 0x90, 40 + k, 90);
        rig.append(400, 200, 0x90, 70, 90);
        rig.out.play();
        QVERIFY(rig.waitForSent(20)); // twenty notifications queued, none delivered
        rig.out.stop();
        QVERIFY(!rig.out.isPlaying());
        QTest::qWait(500);
        QCOMPARE(rig.log, QStringList());
        QCOMPARE(rig.sink->sent.size(), 20);
        QCOMPARE(rig.sink->allOffAfter, std::vector<int>({20})); // silenced after the last note

        // Stopped from inside a notification, as the window does on a rejected event.
        QObject::connect(&rig.out, &PlayListOutput::playedEvent, &rig.out, [&rig](qint32 tag) {
            if (tag == 102)
                rig.out.stop();
        });
        rig.out.play();
        QTest::qWait(500);
        QCOMPARE(rig.log, QStringList({"100", "101", "102"}));
    }

    void closeDropsListAndReopens()
    {
        Rig rig;
        rig.out.close();
        rig.out.stop(); // idle and closed
        rig.out.open();
        rig.append(0, 1, 0x90, 60, 100);
        rig.append(300, 2, 0x80, 60, 0);
        rig.out.play();
        QVERIFY(rig.waitForSent(1));
        rig.out.close();
        rig.out.close();
        QTest::qWait(50);
        QCOMPARE(rig.log, QStringList());

        // A closed output has no list: an error instead of a silent loss.
        rig.append(0, 3, 0x90, 61, 100);
        QTRY_COMPARE_WITH_TIMEOUT(rig.log, QStringList({"error"}), 1000);

        rig.out.open();
        rig.append(10, 4, 0x90, 62, 100);
        rig.out.play();
        QTRY_COMPARE_WITH_TIMEOUT(rig.log, QStringList({"error", "4", "end"}), 1000);
        QCOMPARE(rig.sink->sent, QStringList({"90 60 100", "90 62 100"}));
    }

    void destroyedWhilePlaying()
    {
        std::shared_ptr<RecordingSink> sink;
        {
            Rig rig;
            sink = rig.sink;
            rig.append(0, 1, 0x90, 60, 100);
            rig.append(200, 2, 0x80, 60, 0);
            rig.out.play();
            QVERIFY(rig.waitForSent(1));
        }
        QTest::qWait(300);
        QCOMPARE(sink->sent.size(), 1);
        QCOMPARE(sink->allOffAfter, std::vector<int>({1}));
    }

    void failingOutputReportsOncePerPlay()
    {
        Rig rig;
        rig.sink->failing = true;
        rig.append(0, 1, 0x90, 60, 100);
        rig.append(5, 2, 0x90, 62, 100);
        rig.out.play();
        QTRY_VERIFY_WITH_TIMEOUT(rig.log.contains("end"), 1000);
        QCOMPARE(rig.log, QStringList({"error", "1", "2", "end"}));
    }

    void soundOffIsExplained()
    {
        PlayListOutput silent(SoundOptions{true, {}});
        QSignalSpy silentSpy(&silent, &PlayListOutput::soundUnavailable);
        silent.open();
        QCOMPARE(silent.soundOffReason(), QString("Sound is off: silent mode"));

        PlayListOutput missing(SoundOptions{false, "/nonexistent/none.sf2"});
        QSignalSpy missingSpy(&missing, &PlayListOutput::soundUnavailable);
        QSignalSpy ended(&missing, &PlayListOutput::endOfData);
        missing.open();
        missing.close();
        missing.open();
        QVERIFY(missing.soundOffReason().contains("/nonexistent/none.sf2"));
        missing.play(); // silently, with its notifications
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 1000);
        QCOMPARE(missingSpy.size(), 1);
        QCOMPARE(missingSpy.at(0).at(0).toString(), missing.soundOffReason());

        // The system's soundfont and audio output: sound, or once a reason (no sound card here).
        PlayListOutput system;
        QSignalSpy systemSpy(&system, &PlayListOutput::soundUnavailable);
        system.open();
        system.close();
        system.open();
        QTest::qWait(20);
        const QString reason = system.soundOffReason();
        QVERIFY2(reason.isEmpty() || reason.startsWith("Sound is off: "), qPrintable(reason));
        QCOMPARE(systemSpy.size(), reason.isEmpty() ? 0 : 1);
        QCOMPARE(silentSpy.size(), 0);
    }
};

QTEST_GUILESS_MAIN(PlayListOutputTest)
#include "playlistoutputtest.moc"
