// The window playing for real, silently: "1- Real Time Play" to the end, Stop, a rejected
// note, a drum track chosen alone, and closing while it plays; and "2- Fast Detect" in the
// window against tunedeck-detect on the same file.
#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTimer>

#include "base/keynames.h"
#include "keymap/keymapwidget.h"
#include "pianoroll/keybarchart.h"
#include "pianoroll/pianorollwidget.h"
#include "windows/pianorollpanel.h"
#include "binding/tonalytelibrary.h"
#include "windows/frmzon.h"
#include "midiwriter.h"
#include "windowtestmain.h"
#include "playback/playlistoutput.h"

#include <memory>
#include <type_traits>

using namespace tunedeck;

namespace {

// A C major scale up and down in short notes: about a second of music.
midiwriter::File scaleFile(int channel = 0, bool velocityZeroOffs = false)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int note : {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60}) {
        t.noteOn(channel, note, 100).wait(60);
        if (velocityZeroOffs)
            t.noteOn(channel, note, 0);
        else
            t.noteOff(channel, note);
    }
    return f;
}

// The scale's notes are those of C major and of A minor; which of the two the live feed
// settles on depends on how long each note sounded, in real milliseconds.
QStringList scaleKeys()
{
    return {QStringLiteral("C Major"), QStringLiteral("A Minor")};
}

struct Player {
    TonalyteLibrary library;
    PlayListOutput output{SoundOptions{true, {}}};
    FrmZon window{library, &output};
    QStringList notes; // LblMess after each played note, as the user saw it

    Player()
    {
        // Connected after the window's own handler, so it sees what the handler wrote.
        QObject::connect(&output, &PlayListOutput::playedEvent, &window,
                         [this] { notes << text("LblMess"); });
    }
    bool start()
    {
        if (!window.Form_Initialize(false))
            return false;
        window.show();
        return true;
    }
    // The main window's own control: the chord-name window has a LblHaStr too.
    template <typename W = QLabel>
    W *child(const char *name)
    {
        for (W *w : window.findChildren<W *>(QLatin1String(name)))
            if constexpr (std::is_base_of_v<QWidget, W>) {
                if (w->window() == &window)
                    return w;
            } else {
                return w;
            }
        return nullptr;
    }
    QString text(const char *name) { return child(name)->text(); }
    void click(const char *name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
};

} // namespace

class FrmZonPlayTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void playsToTheEndAndReports()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, scaleFile(), "scale.mid"));
        p.click("CmdPlay");
        QCOMPARE(p.text("LblKeyTiming"), QStringLiteral("MM:SS Timing"));
        QVERIFY(p.child<QTimer>("TimerCTime")->isActive());
        // The roll holds the notes played and follows the play clock.
        const PianoRollWidget &roll = *p.window.pianoRoll()->roll();
        QCOMPARE(roll.data().notes.size(), std::size_t(15));
        QTRY_VERIFY_WITH_TIMEOUT(roll.playPosition().value_or(0) > 0, 3000);

        QTRY_COMPARE_WITH_TIMEOUT(p.text("LblError"), QStringLiteral("End Of Data"), 5000);
        QCOMPARE(p.notes.size(), 30);
        QCOMPARE(p.notes.first(), QStringLiteral("Note 060 On 100"));
        QCOMPARE(p.notes.at(1), QStringLiteral("Note 060 Off"));
        QCOMPARE(p.notes.at(2), QStringLiteral("Note 062 On 100"));
        QCOMPARE(p.notes.last(), QStringLiteral("Note 060 Off"));
        QVERIFY2(scaleKeys().contains(p.text("LblKeyStr")), qPrintable(p.text("LblKeyStr")));
        QVERIFY(p.child<QTimer>("Timer1")->isActive());

        // 1.5 s later: the reports, in minutes and seconds.
        QTRY_COMPARE_WITH_TIMEOUT(p.text("LblKType"), QStringLiteral("Overall Key"), 4000);
        auto *points = p.child<QComboBox>("CmbKeyPoint");
        QVERIFY(points->count() > 0);
        QVERIFY(points->itemText(0).startsWith(QLatin1String("00:00 ")));
        QVERIFY(scaleKeys().contains(points->itemText(0).mid(6)));
        QVERIFY(p.child<QComboBox>("CmbKeyList")->itemText(0).contains(QLatin1String("% = (00) ")));
        QVERIFY(!p.output.isPlaying());
        QVERIFY(!roll.playPosition()); // the whole piece again
        QVERIFY(!p.window.pianoRoll()->tonalyteBars()->shares().empty());
        // The key map grew in seconds as the notes sounded; the profile analysis has its say.
        const KeyMapData &map = p.window.keyMap()->data();
        QCOMPARE(map.unit, KeyMapUnit::Second);
        QVERIFY(!map.rows.at(0).segments.empty());
        // The live profile line, flagged when unsure, and the map's live row in the same key.
        const QRegularExpressionMatch line =
            QRegularExpression(QStringLiteral("^Profile analysis: ([A-G][#b]? m(aj|in)or)\\??, \\d+ %$")).match(p.text("LblProfileKey"));
        QVERIFY2(line.hasMatch(), qPrintable(p.text("LblProfileKey")));
        QCOMPARE(QString::fromStdString(analysisKeyName(map.rows.at(1).segments.back().keyCode)), line.captured(1));
    }

    void stopEndsThePlay()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, scaleFile(), "stop.mid"));
        p.click("CmdPlay");
        QTRY_VERIFY_WITH_TIMEOUT(p.notes.size() >= 4, 3000);
        p.click("CmdStop");
        QCOMPARE(p.text("LblMess"), QStringLiteral("Stoped"));
        const qsizetype played = p.notes.size();
        const qint32 ticks = p.library.KeyGetTimeTCnt();
        QTest::qWait(300);
        QCOMPARE(p.notes.size(), played);
        QCOMPARE(p.text("LblMess"), QStringLiteral("Stoped"));
        QCOMPARE(p.library.KeyGetTimeTCnt(), ticks); // the library's clock stopped too
        QVERIFY(p.child<QTimer>("TimerCTime")->isActive());
        QVERIFY(!p.child<QTimer>("Timer1")->isActive());
    }

    void rejectedNoteEndsThePlayWithoutReports()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().note(0, 60, 100, 60).note(0, 0, 100, 60).note(0, 62, 100, 60);
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, f, "note0.mid"));
        p.click("CmdPlay");
        QTRY_COMPARE_WITH_TIMEOUT(p.text("LblError"), QStringLiteral("Tonalyte return error"), 3000);
        QCOMPARE(p.notes.last(), QStringLiteral("Note 000 On 100"));
        QVERIFY(!p.output.isPlaying());
        QTest::qWait(400);
        QCOMPARE(p.text("LblError"), QStringLiteral("Tonalyte return error"));
        QVERIFY(!p.child<QTimer>("Timer1")->isActive());
        QCOMPARE(p.text("LblKType"), QStringLiteral("Current Key"));
    }

    // Drums are heard with "All" but only analysed when their track is chosen alone; a
    // note-on of velocity 0 reaches the library as a note-off.
    void drumTrackAloneAndVelocityZero()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, scaleFile(9, true), "drums.mid"));
        p.click("CmdPlay");
        QTRY_COMPARE_WITH_TIMEOUT(p.text("LblError"), QStringLiteral("End Of Data"), 5000);
        QVERIFY(p.notes.isEmpty());

        p.child<QCheckBox>("ChkAll")->click();
        QVERIFY(p.child<QComboBox>("CmbTrks")->isEnabled());
        p.click("CmdPlay");
        QTRY_COMPARE_WITH_TIMEOUT(p.text("LblError"), QStringLiteral("End Of Data"), 5000);
        QCOMPARE(p.notes.size(), 30);
        QCOMPARE(p.notes.at(1), QStringLiteral("Note 060 Off"));
        QVERIFY2(scaleKeys().contains(p.text("LblKeyStr")), qPrintable(p.text("LblKeyStr")));
    }

    void closingWhilePlayingStopsSoundAndClock()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, scaleFile(), "close.mid"));
        p.click("CmdPlay");
        QTRY_VERIFY_WITH_TIMEOUT(p.notes.size() >= 2, 3000);
        QVERIFY(p.window.close());
        QVERIFY(!p.output.isPlaying());
        const qint32 ticks = p.library.KeyGetTimeTCnt();
        const qsizetype played = p.notes.size();
        QTest::qWait(200);
        QCOMPARE(p.library.KeyGetTimeTCnt(), ticks);
        QCOMPARE(p.notes.size(), played);
    }

    // The window and the headless command share one procedure; on one file and the same
    // choices they show the same results.
    void fastDetectMatchesTheHeadlessCommand()
    {
        const QString example = QStringLiteral(TUNEDECK_TEST_EXAMPLES "/twinkle-modulating.mid");
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(example);
        p.child<QComboBox>("CmbTimeSign")->setCurrentIndex(1);
        p.click("CmdFastDetect");

        QProcess detect;
        detect.start(QStringLiteral(TUNEDECK_DETECT), {"--json", "--meter", "3/4", example});
        QVERIFY(detect.waitForFinished(60000));
        QCOMPARE(detect.exitCode(), 0);
        const QJsonObject r = QJsonDocument::fromJson(detect.readAllStandardOutput()).array().at(0).toObject();
        const QJsonObject labels = r[QStringLiteral("labels")].toObject();
        for (const char *name : {"LblKType", "LblKeyStr", "LblSignat", "LblKqKey", "LblHaStr", "LblKeyTiming",
                                 "LblMess", "LblcTime", "LblError"})
            QCOMPARE(p.text(name), labels[QLatin1String(name)].toString());
        auto items = [](QComboBox *box) {
            QStringList l;
            for (int i = 0; i < box->count(); ++i)
                l << box->itemText(i);
            return l;
        };
        QCOMPARE(QJsonArray::fromStringList(items(p.child<QComboBox>("CmbKeyList"))),
                 r[QStringLiteral("candidates")].toArray());
        QCOMPARE(QJsonArray::fromStringList(items(p.child<QComboBox>("CmbKeyPoint"))),
                 r[QStringLiteral("points")].toArray());
        QCOMPARE(p.text("LblKeyTiming"), QStringLiteral("3/4 Meter Timing"));
        QVERIFY(p.child<QComboBox>("CmbKeyPoint")->count() >= 2); // it modulates
    }
};

TUNEDECK_WINDOW_TEST_MAIN(FrmZonPlayTest)

#include "frmzonplaytest.moc"
