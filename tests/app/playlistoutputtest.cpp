// The MIDI output component: its play paced by a test clock, and once on its own thread
// against the real one.
#include "core/playback/midisink.h"
#include "qt/playback/playlistoutput.h"
#include "testclock.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

using tunedeck::MidiSink;
using tunedeck::PlayListOutput;
using tunedeck::RunClock;
using tunedeck::SoundOptions;

namespace {

using Clock = std::chrono::steady_clock;

// Records, from the playing thread, what reaches the synthesizer and when: in ms of the
// test clock when there is one, else since the start of play.
class RecordingSink : public MidiSink {
public:
    explicit RecordingSink(const TestClock *clock = nullptr) : clock_(clock) {}
    void started(Clock::time_point origin) override
    {
        std::lock_guard lock(mutex);
        origin_ = origin;
    }
    bool send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override
    {
        {
            std::lock_guard lock(mutex);
            sent << QStringLiteral("%1 %2 %3").arg(status, 2, 16).arg(data1).arg(data2);
            ms.push_back(clock_ ? double(clock_->now())
                                : std::chrono::duration<double, std::milli>(Clock::now() - origin_).count());
        }
        grew.notify_all();
        return !failing;
    }
    void allOff() override
    {
        std::lock_guard lock(mutex);
        allOffAfter.push_back(int(sent.size()));
    }
    // Waits for the playing thread without running the event loop, so notifications stay queued.
    bool waitForSent(qsizetype count)
    {
        std::unique_lock lock(mutex);
        return grew.wait_for(lock, std::chrono::seconds(20), [&] { return sent.size() >= count; });
    }

    std::mutex mutex;
    std::condition_variable grew;
    QStringList sent;
    std::vector<double> ms;
    std::vector<int> allOffAfter; // messages sent before each allOff
    std::atomic<bool> failing{false};

private:
    const TestClock *clock_;
    Clock::time_point origin_ = Clock::now();
};

// An open output on a recording sink, with its notifications in arrival order; paced by the
// test clock unless the real one is given.
struct Rig {
    explicit Rig(RunClock *real = nullptr)
        : sink(std::make_shared<RecordingSink>(real ? nullptr : &clock)), out(SoundOptions{}, real ? *real : clock)
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

    TestClock clock;
    std::shared_ptr<RecordingSink> sink;
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
        rig.clock.advance(7);
        rig.out.play();
        QVERIFY(rig.out.isPlaying());
        QVERIFY(rig.log.isEmpty()); // nothing before the caller has returned
        rig.clock.advance(30);
        QCOMPARE(rig.log, QStringList({"1", "2", "3", "5"}));
        rig.clock.advance(1000);

        QCOMPARE(rig.log, QStringList({"1", "2", "3", "5", "4", "end"}));
        QCOMPARE(rig.sink->sent, QStringList({"c0 5 0", "90 62 90", "80 62 0", "b0 7 100", "d1 64 0", "e1 0 64",
                                              "90 60 100", "80 60 0"}));
        QCOMPARE(rig.sink->ms, std::vector<double>({7, 27, 27, 27, 42, 42, 47, 67})); // on the dot
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
        rig.clock.advance(30);
        QCOMPARE(rig.log, early + late + QStringList{"end"});
    }

    void emptyListAndReplayEndOnceEach()
    {
        Rig rig;
        rig.out.play();
        rig.clock.advance(0);
        QCOMPARE(rig.log, QStringList({"end"}));
        // Playing again without a stop starts over and ends once more.
        rig.append(0, 7, 0x90, 60, 1);
        rig.out.play();
        rig.out.play();
        rig.clock.advance(100);
        QCOMPARE(rig.log, QStringList({"end", "7", "end"}));
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
        rig.clock.advance(100);
        QCOMPARE(rig.log, QStringList({"3", "end"}));
        QCOMPARE(rig.sink->sent, QStringList({"c1 40 0", "b1 7 50", "e1 0 70", "c1 41 0", "91 62 90"}));
        QCOMPARE(rig.sink->allOffAfter.front(), 0);
        QCOMPARE(rig.sink->ms, std::vector<double>({0, 0, 0, 50, 50}));
    }

    // Stopped from a notification, as the runner does on a refused note: nothing more is
    // sent or notified, now or later.
    void stopFromANotificationEndsThePlay()
    {
        Rig rig;
        for (int k = 0; k < 20; ++k)
            rig.append(k, 100 + k, 0x90, 40 + k, 90);
        QObject::connect(&rig.out, &PlayListOutput::playedEvent, &rig.out, [&rig](qint32 tag) {
            if (tag == 102)
                rig.out.stop();
        });
        rig.out.play();
        rig.clock.advance(1000);
        QCOMPARE(rig.log, QStringList({"100", "101", "102"}));
        QCOMPARE(rig.sink->sent.size(), 3);
        QCOMPARE(rig.sink->allOffAfter, std::vector<int>({3}));
        QVERIFY(!rig.out.isPlaying());
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
        rig.clock.advance(10);
        rig.out.close();
        rig.out.close();
        rig.clock.advance(1000);
        QCOMPARE(rig.log, QStringList({"1"}));

        // A closed output has no list: an error instead of a silent loss.
        rig.append(0, 3, 0x90, 61, 100);
        QTRY_COMPARE_WITH_TIMEOUT(rig.log, QStringList({"1", "error"}), 1000);

        rig.out.open();
        rig.append(10, 4, 0x90, 62, 100);
        rig.out.play();
        rig.clock.advance(10);
        QCOMPARE(rig.log, QStringList({"1", "error", "4", "end"}));
        QCOMPARE(rig.sink->sent, QStringList({"90 60 100", "90 62 100"}));
    }

    void destroyedWhilePlaying()
    {
        TestClock clock;
        auto sink = std::make_shared<RecordingSink>(&clock);
        {
            PlayListOutput out(SoundOptions{}, clock);
            out.setSink(sink);
            out.open();
            out.append({0, 0x90, 60, 100, 0, 1});
            out.append({200, 0x80, 60, 0, 0, 2});
            out.play();
            clock.advance(100);
        }
        clock.advance(1000);
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
        rig.clock.advance(5);
        QCOMPARE(rig.log, QStringList({"error", "1", "2", "end"}));
        rig.out.play();
        rig.clock.advance(5);
        QCOMPARE(rig.log.count("error"), 2);
    }

    // The play on its own thread, against the real clock: never early, and what a stop
    // catches queued is dropped.
    void playsOnItsThreadOnTime()
    {
        Rig rig(&tunedeck::systemClock());
        rig.append(200, 2, 0x90, 64, 80);
        rig.append(100, 1, 0x90, 62, 80);
        rig.append(-50, 0, 0xB0, 64, 0); // before the start plays at the start
        QElapsedTimer clock;
        clock.start();
        rig.out.play();
        QTRY_VERIFY_WITH_TIMEOUT(rig.log.contains("1"), 2000);
        QVERIFY2(clock.elapsed() >= 95, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(rig.log.contains("end"), 2000);
        QVERIFY2(clock.elapsed() >= 190, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(rig.sink->sent.size(), 3);
        QVERIFY(rig.sink->ms[1] >= 100 && rig.sink->ms[2] >= 200); // never early
        QCOMPARE(rig.log, QStringList({"1", "2", "end"}));


        Rig queued(&tunedeck::systemClock());
        for (int k = 0; k < 20; ++k)
            queued.append(0, 100 + k, 0x90, 40 + k, 90);
        queued.append(60000, 200, 0x90, 70, 90);
        queued.out.play();
        QVERIFY(queued.sink->waitForSent(20)); // twenty notifications queued, none delivered
        queued.out.stop();
        QVERIFY(!queued.out.isPlaying());
        QCoreApplication::processEvents();
        QCOMPARE(queued.log, QStringList());
        QCOMPARE(queued.sink->allOffAfter, std::vector<int>({20})); // silenced after the last note
    }

    void soundOffIsExplained()
    {
        PlayListOutput silent(SoundOptions{true, {}});
        QSignalSpy silentSpy(&silent, &PlayListOutput::soundUnavailable);
        silent.open();
        QCOMPARE(silent.soundOffReason(), QString("Sound is off: silent mode"));

        TestClock clock;
        PlayListOutput missing(SoundOptions{false, "/nonexistent/none.sf2"}, clock);
        QSignalSpy missingSpy(&missing, &PlayListOutput::soundUnavailable);
        QSignalSpy ended(&missing, &PlayListOutput::endOfData);
        missing.open();
        missing.close();
        missing.open();
        QVERIFY(missing.soundOffReason().contains("/nonexistent/none.sf2"));
        missing.play(); // silently, with its notifications
        clock.advance(0);
        QCOMPARE(ended.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(missingSpy.size(), 1);
        QCOMPARE(missingSpy.at(0).at(0).toString(), missing.soundOffReason());

        // The system's soundfont and audio output: sound, or once a reason (no sound card here).
        PlayListOutput system;
        QSignalSpy systemSpy(&system, &PlayListOutput::soundUnavailable);
        system.open();
        system.close();
        system.open();
        QCoreApplication::processEvents();
        const QString reason = system.soundOffReason();
        QVERIFY2(reason.isEmpty() || reason.startsWith("Sound is off: "), qPrintable(reason));
        QCOMPARE(systemSpy.size(), reason.isEmpty() ? 0 : 1);
        QCOMPARE(silentSpy.size(), 0);
    }
};

QTEST_GUILESS_MAIN(PlayListOutputTest)
#include "playlistoutputtest.moc"
