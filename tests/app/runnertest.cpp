// The Runner on its own, without a window, on a clock the test moves: fast detection, a play
// from start to end, Stop, pause, going on and seeking, a file checked beside a play, the
// audio export, and the states it announces.
#include "clockedtonalyte.h"
#include "fakedisplay.h"
#include "midiwriter.h"
#include "qt/playback/playlistoutput.h"
#include "qt/playback/synthesizer.h"
#include "qt/playback/wavrender.h"
#include "qt/run/audioexport.h"
#include "qt/run/portrouting.h"
#include "qt/run/profiletracking.h"
#include "qt/run/runner.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tunedeck;

namespace {

// C D E F G A B C, half a second each: the last note-off at 4000 ms.
midiwriter::File scale()
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72})
        t.note(0, note, 100, 480);
    return f;
}

// Refused unless format 0 files are read one track per channel.
midiwriter::File formatZero()
{
    midiwriter::File f(0, 480);
    f.addTrack().note(0, 60, 100, 480);
    return f;
}

// A runner with a silent output, all on one test clock, and what it said, in order.
struct Rig {
    TestClock clock;
    ClockedTonalyte engine{clock};
    PlayListOutput output{SoundOptions{true, {}}, clock};
    PortRouting ports{&output};
    Runner runner{engine.library, &output, ports, clock};
    AnalysisChoices choices;

    std::vector<RunState> states;
    std::vector<RunNotice> notices;
    std::vector<TonalyteAnswer> answers;
    std::vector<std::uint32_t> ticks;
    std::vector<KeyReports> reports;
    std::vector<FileAnalysis> fastRuns;
    int opened = 0;

    Rig()
    {
        runner.setChoices([this] { return choices; });
        QObject::connect(&runner, &Runner::stateChanged, [this](RunState s) { states.push_back(s); });
        QObject::connect(&runner, &Runner::notice, [this](RunNotice n) { notices.push_back(n); });
        QObject::connect(&runner, &Runner::answered, [this](const TonalyteAnswer &a) { answers.push_back(a); });
        QObject::connect(&runner, &Runner::clockTicked, [this](std::uint32_t ms) { ticks.push_back(ms); });
        QObject::connect(&runner, &Runner::reported, [this](const KeyReports &r) { reports.push_back(r); });
        QObject::connect(&runner, &Runner::fastFinished, [this](const FileAnalysis &a) { fastRuns.push_back(a); });
        QObject::connect(&runner, &Runner::opened, [this] { ++opened; });
    }
    // Forgets what was said so far.
    void clear()
    {
        states.clear();
        notices.clear();
        answers.clear();
        ticks.clear();
        reports.clear();
    }
};

} // namespace

class RunnerTest : public QObject {
    Q_OBJECT

    TestFiles files;

private slots:
    void fastDetection_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("allTracks");
        QTest::addColumn<int>("track");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("key");
        const QString path = files.save(scale());
        QTest::newRow("all tracks") << path << true << 0 << false << int(FastOutcome::Reported) << 160;
        QTest::newRow("track 01") << path << false << 0 << false << int(FastOutcome::Reported) << 160;
        QTest::newRow("track 12 of 2") << path << false << 11 << false << int(FastOutcome::TrackNotFound) << 0;
        QTest::newRow("cancelled") << path << true << 0 << true << int(FastOutcome::Cancelled) << 0;
        QTest::newRow("refused file") << files.save(formatZero()) << true << 0 << false
                                      << int(FastOutcome::FileRefused) << 0;
    }

    // The outcome and its reports, the states once each, and a Stop during the feed.
    void fastDetection()
    {
        QFETCH(QString, path);
        QFETCH(bool, allTracks);
        QFETCH(int, track);
        QFETCH(bool, cancel);
        QFETCH(int, outcome);
        QFETCH(int, key);
        Rig rig;
        rig.choices.fast.tracks = {allTracks, track};
        if (cancel)
            connect(&rig.runner, &Runner::progress, &rig.runner, &Runner::stop);
        rig.runner.fastDetect(path);
        QCOMPARE(rig.opened, 1);
        QCOMPARE(rig.runner.state(), RunState::Idle);
        if (outcome == int(FastOutcome::FileRefused)) { // refused before anything ran
            QVERIFY(rig.states.empty());
            QCOMPARE(rig.fastRuns.size(), std::size_t(1)); // so that nothing of the file before stays
            QVERIFY(rig.fastRuns.front().refusal && !rig.fastRuns.front().profile);
            return;
        }
        QCOMPARE(rig.states, (std::vector<RunState>{RunState::FastDetecting, RunState::Idle}));
        QCOMPARE(rig.notices, std::vector<RunNotice>{RunNotice::Loading});
        QCOMPARE(rig.fastRuns.size(), std::size_t(1));
        const FastDetection &run = rig.fastRuns.front().run;
        QCOMPARE(int(run.outcome), outcome);
        QCOMPARE(bool(rig.fastRuns.front().profile), outcome != int(FastOutcome::TrackNotFound));
        if (key != 0)
            QCOMPARE(run.reports.overall.top().code, key);
        QVERIFY(rig.answers.empty() && rig.reports.empty()); // a fast run's results come whole
    }

    // Every note answered as it sounds, the clock each second, the end of data, and the
    // reports 1.5 s after it.
    void playsToTheEnd()
    {
        Rig rig;
        rig.runner.play(files.save(scale()), nullptr);
        QCOMPARE(rig.states, std::vector<RunState>{RunState::Playing});
        QCOMPARE(rig.notices, (std::vector<RunNotice>{RunNotice::Loading, RunNotice::Playing}));
        QVERIFY(rig.answers.empty()); // the first note once the caller has returned
        QCOMPARE(rig.runner.playLength(), 4000);

        rig.clock.advance(0);
        QCOMPARE(rig.answers.size(), std::size_t(1));
        QCOMPARE(rig.answers[0].note.note, 60);
        rig.clock.advance(3999);
        QCOMPARE(rig.answers.size(), std::size_t(15));
        QCOMPARE(rig.runner.state(), RunState::Playing);
        rig.clock.advance(1);
        QCOMPARE(rig.answers.size(), std::size_t(16));
        QCOMPARE(rig.answers.back().keyCode, 160);
        QCOMPARE(rig.notices.back(), RunNotice::EndOfData);
        QCOMPARE(rig.ticks, (std::vector<std::uint32_t>{1000, 2000, 3000, 4000}));

        rig.clock.advance(1499);
        QVERIFY(rig.reports.empty());
        rig.clock.advance(1);
        QCOMPARE(rig.reports.size(), std::size_t(1));
        QCOMPARE(rig.reports[0].overall.top().code, 160);
        QVERIFY(!rig.reports[0].timing.barTiming);
        QCOMPARE(rig.states, (std::vector<RunState>{RunState::Playing, RunState::Stopping, RunState::Idle}));
        QVERIFY(!rig.output.isPlaying());
        // The clock goes on showing where the library's stopped.
        QCOMPARE(rig.ticks.back(), 5000u);
        rig.clock.advance(1000);
        QCOMPARE(rig.ticks.back(), 5500u);
    }

    void stopEndsThePlayWithoutReports()
    {
        Rig rig;
        rig.runner.play(files.save(scale()), nullptr);
        rig.clock.advance(1200);
        QCOMPARE(rig.answers.size(), std::size_t(5));
        rig.runner.stop();
        QCOMPARE(rig.states, (std::vector<RunState>{RunState::Playing, RunState::Idle}));
        QCOMPARE(rig.notices.back(), RunNotice::Stopped);
        rig.clock.advance(10000);
        QCOMPARE(rig.answers.size(), std::size_t(5));
        QVERIFY(rig.reports.empty());
        QCOMPARE(rig.runner.clock(), 1200u);
        QVERIFY(!rig.runner.busy());
    }

    // Paused, the play and its clocks stand; a seek while paused stays paused; going on
    // plays from where it stands; a seek after the end of data plays again.
    void pauseSeekAndGoOn()
    {
        Rig rig;
        rig.runner.play(files.save(scale()), nullptr);
        rig.clock.advance(1200);
        rig.runner.pause();
        rig.runner.pause();
        QCOMPARE(rig.states, (std::vector<RunState>{RunState::Playing, RunState::Paused}));
        QVERIFY(rig.runner.busy() && !rig.output.isPlaying());
        const std::size_t answered = rig.answers.size();
        rig.clock.advance(5000);
        QCOMPARE(rig.runner.clock(), 1200u);
        QCOMPARE(rig.answers.size(), answered);
        QCOMPARE(rig.ticks, std::vector<std::uint32_t>{1000});

        rig.runner.seek(3250);
        QCOMPARE(rig.runner.state(), RunState::Paused);
        QCOMPARE(rig.states.size(), std::size_t(2));
        QCOMPARE(rig.runner.clock(), 3250u);
        QCOMPARE(rig.ticks.back(), 3250u);
        QCOMPARE(rig.answers.back().note.note, 71); // B sounds from 3000 to 3500
        rig.clock.advance(1000);
        QCOMPARE(rig.runner.clock(), 3250u);

        rig.runner.resume();
        QCOMPARE(rig.states.back(), RunState::Playing);
        rig.clock.advance(750);
        QCOMPARE(rig.runner.clock(), 4000u);
        QCOMPARE(rig.notices.back(), RunNotice::EndOfData);
        QCOMPARE(rig.runner.state(), RunState::Stopping);
        rig.runner.pause(); // nothing left to pause
        QCOMPARE(rig.runner.state(), RunState::Stopping);

        rig.runner.seek(500);
        QCOMPARE(rig.runner.state(), RunState::Playing);
        rig.clock.advance(2000); // Timer1 was stopped by the seek
        QVERIFY(rig.reports.empty());
        rig.clock.advance(3500);
        QCOMPARE(rig.reports.size(), std::size_t(1));
        QCOMPARE(rig.states, (std::vector<RunState>{RunState::Playing, RunState::Paused, RunState::Playing,
                                                    RunState::Stopping, RunState::Playing, RunState::Stopping,
                                                    RunState::Idle}));
    }

    void seekShowsWhatAPlayFromTheStartShows_data()
    {
        QTest::addColumn<int>("ms");
        for (int ms : {700, 1250, 2750, 3900})
            QTest::newRow(qPrintable(QString::number(ms))) << ms;
    }

    void seekShowsWhatAPlayFromTheStartShows()
    {
        QFETCH(int, ms);
        const QString path = files.save(scale());
        TonalyteAnswer played;
        {
            Rig rig;
            rig.runner.play(path, nullptr);
            rig.clock.advance(ms);
            played = rig.answers.back();
            rig.runner.stop();
        }
        Rig rig;
        rig.runner.play(path, nullptr);
        rig.runner.seek(ms);
        QCOMPARE(rig.answers.size(), std::size_t(1));
        const TonalyteAnswer &sought = rig.answers.back();
        QCOMPARE(sought.keyCode, played.keyCode);
        QCOMPARE(sought.note.note, played.note.note);
        QCOMPARE(sought.inputCount, played.inputCount);
        QCOMPARE(sought.fitRatio, played.fitRatio);
    }

    // A file chosen during a play is checked on its own: the play, its file and the
    // runner's state stay as they were, and nothing is announced.
    void checkingAFileLeavesThePlayAlone()
    {
        Rig rig;
        const QString path = files.save(scale());
        rig.runner.play(path, nullptr);
        rig.clock.advance(600);
        midiwriter::File three(1, 480);
        three.addTrack().tempo(500000);
        three.addTrack().note(0, 60, 100, 480);
        three.addTrack().note(0, 64, 100, 480);
        const CheckedFile checked = rig.runner.checkFile(files.save(three));
        QVERIFY(checked.result);
        QCOMPARE(checked.file.trackCount(), 3);
        const QString zero = files.save(formatZero());
        QCOMPARE(rig.runner.checkFile(zero).result.error().kind, OpenError::FormatNotSupported);
        rig.runner.file().setSplitFormat0(true);
        QVERIFY(rig.runner.checkFile(zero).result); // as the runner reads

        QCOMPARE(rig.opened, 1);
        QCOMPARE(rig.runner.path(), path);
        QCOMPARE(rig.runner.file().trackCount(), 2);
        QCOMPARE(rig.states, std::vector<RunState>{RunState::Playing});
        rig.clock.advance(3400);
        QCOMPARE(rig.answers.size(), std::size_t(16));
    }

    // Rendered on a worker thread, one at a time, its progress and end reported on the
    // runner's thread (the window's test cancels one and meets a refusal).
    // Listening stopped long after its last note still says what it heard, where the live
    // line had gone blank with the silence.
    void listeningEndsWithWhatItHeard()
    {
        ProfileTracking tracking;
        std::vector<ShownKey> shown, finished;
        connect(&tracking, &ProfileTracking::analysed, this, [&](const ShownKey &k, std::int64_t) { shown.push_back(k); });
        connect(&tracking, &ProfileTracking::finished, this, [&](const ShownKey &k) { finished.push_back(k); });
        tracking.start();
        std::int64_t ms = 0;
        for (int round = 0; round < 3; ++round)
            for (int note : {60, 64, 67, 72, 65, 69, 72, 67, 71, 74, 60, 64, 67}) {
                tracking.record({makeNoteEvent(0, 0x90, note, 90, 0), 160}, ms);
                tracking.record({makeNoteEvent(0, 0x80, note, 0, 0), 160}, ms + 450);
                ms += 500;
            }
        tracking.finish(ms + 20000);
        QCOMPARE(shown.back().reading.keyCode, NoKey); // the silence
        QCOMPARE(finished.size(), std::size_t(1));
        QCOMPARE(finished.front().reading.keyCode, 160);
        QVERIFY(!finished.front().listened && finished.front().fromBar == 0);
    }

    void exportsAudio()
    {
        if (defaultSoundFont().isEmpty())
            QSKIP("no General MIDI soundfont installed (timgm6mb-soundfont)");
        QTemporaryDir dir;
        Rig rig;
        AudioExport audio(rig.runner);
        QSignalSpy progress(&audio, &AudioExport::progress);
        QSignalSpy exported(&audio, &AudioExport::finished);
        QCOMPARE(audio.length(files.save(scale())), std::optional<std::int64_t>(6000)); // with the release
        const QString wav = dir.filePath(QStringLiteral("scale.wav"));
        QVERIFY(audio.start(wav, DefaultMaxRenderMs));
        QVERIFY(!audio.start(wav, DefaultMaxRenderMs));
        QVERIFY(exported.wait(60000));
        QCOMPARE(exported.at(0), (QVariantList{wav, QString()}));
        QCOMPARE(progress.last().at(0).toDouble(), 1.0);
        QVERIFY(QFileInfo(wav).size() > 44100 * 4 * 5);
        QCOMPARE(rig.opened, 1);
        QVERIFY(rig.states.empty()); // no run
    }
};

QTEST_GUILESS_MAIN(RunnerTest)
#include "runnertest.moc"
