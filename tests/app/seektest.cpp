// Seeking in a play through the window, silently, on the test's clock, against the headless
// trace.
#include <QtTest>

#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>

#include "clockedtonalyte.h"
#include "qt/keymap/keymapwidget.h"
#include "midiwriter.h"
#include "qt/pianoroll/pianorollwidget.h"
#include "qt/playback/playlistoutput.h"
#include "qt/run/profiletracking.h"

#include <cmath>
#include "qt/windows/frmzon.h"
#include "qt/windows/pianorollpanel.h"
#include "qt/windows/transportbar.h"
#include "windowtestmain.h"

using namespace tunedeck;

class SeekTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // 24 s: a held pedal under a tune in C major, then in E-flat major.
    QString modulatingFile()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &pedal = f.addTrack();
        auto &tune = f.addTrack();
        pedal.noteOn(0, 36, 70).wait(480 * 40).noteOff(0, 36);
        for (int bar = 0; bar < 24; ++bar) {
            static constexpr int scale[7] = {0, 2, 4, 5, 7, 9, 11};
            for (int beat = 0; beat < 6; ++beat)
                tune.note(1, (bar < 12 ? 60 : 63) + scale[(3 * bar + beat) % 7], 90, 320);
        }
        const QString path = dir.filePath(QStringLiteral("seek.mid"));
        f.save(path.toStdString());
        return path;
    }

    struct Player {
        TestClock clock;
        ClockedTonalyte engine{clock};
        PlayListOutput output{SoundOptions{true, {}}, clock};
        FrmZon window{engine.library, &output, clock};
        Runner &runner = window.runner();
    };

private slots:
    // One play: Space pauses it where it stands, the roll's click seeks while paused, and
    // Space goes on from the point.
    void pauseSeekAndGoOn()
    {
        const QString path = modulatingFile();
        Player p;
        QVERIFY(p.window.Form_Initialize(false));
        p.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&p.window));
        std::int32_t tonalyte = -1;
        ShownKey profile;
        connect(&p.runner, &Runner::answered, this, [&](const TonalyteAnswer &key) { tonalyte = key.keyCode; });
        connect(&p.runner.profileTracking(), &ProfileTracking::analysed, this,
                [&](const ShownKey &shown, std::int64_t) { profile = shown; });
        p.window.selectMidiFile(path);
        QTest::keyClick(&p.window, Qt::Key_Space);
        QCOMPARE(p.runner.state(), RunState::Playing);
        p.clock.advance(400);
        QCOMPARE(p.runner.clock(), 400u);

        QTest::keyClick(&p.window, Qt::Key_Space);
        QCOMPARE(p.runner.state(), RunState::Paused);
        QVERIFY(!p.output.isPlaying());
        auto *pause = p.window.pianoRoll()->transport()->findChild<QToolButton *>(QStringLiteral("PauseButton"));
        QCOMPARE(pause->text(), QStringLiteral("Go on"));
        p.clock.advance(3000);
        QCOMPARE(p.runner.clock(), 400u);
        QVERIFY(!p.window.findChild<RunTimer *>(QStringLiteral("TimerCTime"))->isActive());

        emit p.window.pianoRoll()->roll()->seekRequested(15000);
        QCOMPARE(p.runner.state(), RunState::Paused);
        QVERIFY(!p.output.isPlaying());
        QCOMPARE(p.runner.clock(), 15000u);
        QTRY_COMPARE(p.window.pianoRoll()->transport()->slider()->value(), 15000);
        // Both keys are those of a play from the start at that second.
        QProcess trace;
        trace.start(QStringLiteral(TUNEDECK_DETECT), {QStringLiteral("--live-trace"), path});
        QVERIFY(trace.waitForFinished(60000));
        const QList<QByteArray> lines = trace.readAllStandardOutput().split('\n');
        QVERIFY(lines.size() > 15);
        const QJsonObject at15 = QJsonDocument::fromJson(lines[15]).object();
        QCOMPARE(tonalyte, at15[QStringLiteral("tonalyte")].toInt());
        // A play shows the whole-file analysis' local key there.
        QCOMPARE(profile.reading.keyCode, at15[QStringLiteral("local")].toInt());
        QCOMPARE(std::round(profile.reading.confidence * 1000) / 1000, at15[QStringLiteral("localConfidence")].toDouble());
        QVERIFY(profile.fromBar > 0 && !profile.listened);

        QTest::keyClick(&p.window, Qt::Key_Space);
        QCOMPARE(p.runner.state(), RunState::Playing);
        QVERIFY(p.output.isPlaying());
        QCOMPARE(pause->text(), QStringLiteral("Pause"));
        p.clock.advance(150);
        QCOMPARE(p.runner.clock(), 15150u);
    }

    // A play whose clock ticks out of step with its seconds (the play clock runs on from the
    // play before), paused and gone on: the key map's live rows stay as they were drawn, and
    // the bar's time is what the play clock reads. The bar's length is the play's, gone with
    // another file chosen or a fast run.
    void goingOnKeepsWhatWasShown()
    {
        const QString path = modulatingFile();
        Player p;
        QVERIFY(p.window.Form_Initialize(false));
        TransportBar *bar = p.window.pianoRoll()->transport();
        const auto label = [&](QWidget *in, const char *name) { return in->findChild<QLabel *>(QLatin1String(name))->text(); };
        const auto click = [&](const char *name) { p.window.findChild<QPushButton *>(QLatin1String(name))->click(); };
        p.window.selectMidiFile(path);
        click("CmdPlay");
        p.clock.advance(300);
        click("CmdPlay");
        QCOMPARE(label(bar, "TotalTime"), QStringLiteral("00:48"));
        p.clock.advance(7500);
        p.runner.pause();
        const KeyMapData drawn = p.window.keyMap()->data();
        QCOMPARE(drawn.bars, 8);
        p.runner.resume();
        QVERIFY(p.window.keyMap()->data() == drawn);
        p.clock.advance(900);
        QTRY_COMPARE(bar->slider()->value(), 8400);
        QCOMPARE(label(bar, "ElapsedTime"), label(&p.window, "LblcTime"));
        QCOMPARE(label(bar, "ElapsedTime"), QStringLiteral("00:07"));

        click("CmdStop");
        p.window.selectMidiFile(path);
        QCOMPARE(label(bar, "TotalTime"), QStringLiteral("00:00"));
        click("CmdPlay");
        click("CmdStop");
        click("CmdFastDetect");
        QCOMPARE(label(bar, "TotalTime"), QStringLiteral("00:00"));
    }
};

TUNEDECK_WINDOW_TEST_MAIN(SeekTest)

#include "seektest.moc"
