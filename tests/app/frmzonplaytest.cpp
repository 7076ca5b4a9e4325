// The window playing, silently, on a clock the test moves: "1- Real Time Play" to the end,
// Stop, a rejected note, a drum track chosen alone, and closing while it plays; and "2- Fast
// Detect" in the window against tunedeck-detect on the same file. The chord of the moment of
// a play and of listening, and the roll's chord lane.
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
#include <QTableWidget>
#include <QTemporaryDir>
#include <QRegularExpression>

#include "core/base/keynames.h"
#include "qt/keymap/keymapwidget.h"
#include "qt/pianoroll/keybarchart.h"
#include "qt/pianoroll/pianorollwidget.h"
#include "qt/run/profiletracking.h"
#include "qt/windows/chordlistpanel.h"
#include "qt/windows/exportdialogs.h"
#include "qt/windows/pianorollpanel.h"
#include "qt/windows/frmzon.h"
#include "clockedtonalyte.h"
#include "refusingtonalyte.h"
#include "midiwriter.h"
#include "windowtestmain.h"
#include "qt/playback/playlistoutput.h"

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

// Block chords in C major, root in the bass: C, F, G7, C.
const std::vector<std::vector<int>> Cadence = {{48, 64, 67, 72}, {41, 60, 65, 69}, {43, 59, 62, 65}, {48, 64, 67, 72}};

// `count` chords of the list in turn, each held for `ticks` at 120 crotchets a minute.
midiwriter::File chordFile(int count, int ticks, const std::vector<std::vector<int>> &chords = Cadence)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int i = 0; i < count; ++i) {
        for (int n : chords[std::size_t(i) % chords.size()])
            t.noteOn(0, n, 90);
        t.wait(ticks);
        for (int n : chords[std::size_t(i) % chords.size()])
            t.noteOff(0, n);
    }
    return f;
}

// The key the live feed settles on for the scale, its notes timed by the play's clock.
const QString ScaleKey = QStringLiteral("C Major");

struct Player {
    TestClock clock;
    ClockedTonalyte engine{clock};
    LinkedTonalyte &library = engine.library;
    RefusingTonalyte refusing{library}; // refuses nothing unless told
    PlayListOutput output{SoundOptions{true, {}}, clock};
    FrmZon window{refusing, &output, clock};
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
        QVERIFY(p.child<RunTimer>("TimerCTime")->isActive());
        // The roll holds the notes played and follows the play clock.
        const PianoRollWidget &roll = *p.window.pianoRoll()->roll();
        QCOMPARE(roll.data().notes.size(), std::size_t(15));
        p.clock.advance(100);
        QTRY_COMPARE(roll.playPosition().value_or(0), 100);
        QCOMPARE(p.notes.size(), 3); // at 0 and 62 ms

        p.clock.advance(836);
        QVERIFY(p.text("LblError") != QStringLiteral("End Of Data"));
        p.clock.advance(1); // the last note-off, at 937 ms
        QCOMPARE(p.text("LblError"), QStringLiteral("End Of Data"));
        const PianoRollPanel &panel = *p.window.pianoRoll();
        QVERIFY(panel.tonalyteBars()->shares().empty());
        p.clock.advance(63); // the clock's first second: Tonalyte's bars as its statistics stand
        QCOMPARE(p.text("LblcTime"), QStringLiteral("00:01"));
        QVERIFY(!panel.tonalyteBars()->shares().empty());
        QCOMPARE(p.notes.size(), 30);
        QCOMPARE(p.notes.first(), QStringLiteral("Note 060 On 100"));
        QCOMPARE(p.notes.at(1), QStringLiteral("Note 060 Off"));
        QCOMPARE(p.notes.at(2), QStringLiteral("Note 062 On 100"));
        QCOMPARE(p.notes.last(), QStringLiteral("Note 060 Off"));
        QCOMPARE(p.text("LblKeyStr"), ScaleKey);
        QVERIFY(p.child<RunTimer>("Timer1")->isActive());

        // 1.5 s after the last event: the reports, in minutes and seconds.
        p.clock.advance(1436);
        QCOMPARE(p.text("LblKType"), QStringLiteral("Current Key"));
        p.clock.advance(1);
        QCOMPARE(p.text("LblKType"), QStringLiteral("Overall Key"));
        QVERIFY(!p.child<RunTimer>("Timer1")->isActive());
        auto *points = p.child<QComboBox>("CmbKeyPoint");
        QVERIFY(points->count() > 0);
        QCOMPARE(points->itemText(0), QStringLiteral("00:00 ") + ScaleKey);
        QVERIFY(p.child<QComboBox>("CmbKeyList")->itemText(0).contains(QLatin1String("% = (00) ")));
        QVERIFY(!p.output.isPlaying());
        QVERIFY(!roll.playPosition()); // the whole piece again
        QVERIFY(!p.window.pianoRoll()->tonalyteBars()->shares().empty());
        // The key map grew in seconds as the notes sounded; the profile analysis has its say.
        const KeyMapData &map = p.window.keyMap()->data();
        QCOMPARE(map.unit, KeyMapUnit::Second);
        QVERIFY(!map.rows.at(0).segments.empty());
        QCOMPARE(map.rows.at(1).segments.back().keyCode, 160);
        // Beside the reports of the whole play, the profile line and bars show the whole
        // file, as a fast run of it does.
        const QString line = p.text("LblProfileKey");
        const std::vector<KeyShare> bars = panel.profileBars()->shares();
        QVERIFY2(!line.contains(QLatin1String("from bar")) && bars.size() > 1, qPrintable(line));
        p.click("CmdFastDetect");
        QCOMPARE(p.text("LblProfileKey"), line);
        QCOMPARE(panel.profileBars()->shares(), bars);
    }

    // A play shows the key of the moment: twinkle-modulating's G section (24 s to 48 s) in G
    // major on the line, the key map's live row and the roll's tint, where the music is.
    void playShowsTheKeyOfTheMoment()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(QStringLiteral(TUNEDECK_TEST_EXAMPLES "/twinkle-modulating.mid"));
        p.click("CmdPlay");
        const auto shownAt = [&p](int second) {
            p.clock.advance(second * 1000 - std::int64_t(p.window.runner().clock()));
            return p.text("LblProfileKey");
        };
        const QRegularExpression inG(QStringLiteral("^Profile analysis: G major from bar 13, \\d+ %$"));
        QVERIFY2(shownAt(10).startsWith(QLatin1String("Profile analysis: C major from bar 1, ")), qPrintable(shownAt(10)));
        for (int second : {26, 36, 44})
            QVERIFY2(inG.match(shownAt(second)).hasMatch(), qPrintable(shownAt(second)));
        const KeyMapData &map = p.window.keyMap()->data();
        QCOMPARE(map.rows.at(1).segments.back().keyCode, 167);
        const PianoRollWidget &roll = *p.window.pianoRoll()->roll();
        QCOMPARE(rollKeyAt(roll.data(), 40000), 167);
        QVERIFY(shownAt(60).startsWith(QLatin1String("Profile analysis: C major from bar 25, ")));
    }

    // The chord of the moment, read each second at the play's position as the local key is; a
    // seek shows what a play from the start shows there. The lane holds the play's chords,
    // then the fast run's, which has no moment to show.
    void playAndLaneShowTheChords()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, chordFile(8, 4 * 480), "cadence.mid")); // 2 s a chord
        p.click("CmdPlay");
        QCOMPARE(p.text("LblChordNow"), QString());
        const std::pair<std::int64_t, const char *> moments[] = {
            {1000, "C — I of C major"}, {3000, "F — IV of C major"}, {5000, "G7 — V7 of C major"}, {11500, "F — IV of C major"}};
        for (const auto &[ms, shown] : moments) {
            p.clock.advance(ms - std::int64_t(p.window.runner().clock()));
            QCOMPARE(p.text("LblChordNow"), QString::fromUtf8(shown));
        }
        p.window.runner().seek(4500);
        QCOMPARE(p.text("LblChordNow"), QStringLiteral("G7 — V7 of C major"));
        p.window.runner().seek(2500);
        QCOMPARE(p.text("LblChordNow"), QStringLiteral("F — IV of C major"));
        const PianoRollWidget &roll = *p.window.pianoRoll()->roll();
        const std::vector<RollChord> played = roll.data().chords;

        p.click("CmdFastDetect");
        QCOMPARE(p.text("LblChordNow"), QString());
        QCOMPARE(roll.data().chords, played);
        QStringList lane; // C held over the join
        for (const RollChord &c : played)
            lane << QStringLiteral("%1 %2").arg(c.startMs).arg(QString::fromStdString(harmony::chordSymbol(c.chord, c.keyCode)));
        QCOMPARE(lane, QStringList({"0 C", "2000 F", "4000 G7", "6000 C", "10000 F", "12000 G7", "14000 C"}));
        const double symbolsOnly = roll.layout().chordLane.height();
        p.child<QCheckBox>("ChkRoman")->click();
        QCOMPARE(roll.layout().chordNames, ChordNames::WithNumerals);
        QVERIFY(roll.layout().chordLane.height() > symbolsOnly);
    }

    // The chord list: the fast run's chords as the JSON writes them, then a play's with the row
    // of the moment marked as it sounds; a click on a row seeks there; the export reads back.
    void chordListFollowsThePlay()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, chordFile(8, 4 * 480), "list.mid")); // a bar a chord
        p.click("CmdFastDetect");
        const ChordListPanel &list = *p.window.chordList();
        const QTableWidget &table = *list.table();
        const auto rows = [&table] {
            QStringList shown;
            for (int r = 0; r < table.rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < table.columnCount(); ++c)
                    cells << table.item(r, c)->text();
                shown << cells.mid(0, 5).join(QLatin1Char(' '));
            }
            return shown;
        };
        const QStringList fast = rows();
        QCOMPARE(fast, QStringList({"1 1 C I C major", "2 1 F IV C major", "3 1 G7 V7 C major", "4 1 C I C major",
                                    "6 1 F IV C major", "7 1 G7 V7 C major", "8 1 C I C major"}));
        QCOMPARE(list.markedRow(), -1);

        p.click("CmdPlay");
        QCOMPARE(rows(), fast);
        const std::pair<std::int64_t, int> moments[] = {{500, 0}, {4500, 2}, {11000, 4}};
        for (const auto &[ms, row] : moments) {
            p.clock.advance(ms - std::int64_t(p.window.runner().clock()));
            QCOMPARE(list.markedRow(), row);
            QVERIFY(table.item(row, 2)->font().bold() && !table.item(row == 0 ? 1 : 0, 2)->font().bold());
        }
        const QRect g7 = table.visualItemRect(table.item(5, 0));
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, g7.center());
        QVERIFY(std::abs(std::int64_t(p.window.runner().clock()) - 12000) < 50);
        QCOMPARE(list.markedRow(), 5);

        const QString saved = dir.filePath(QStringLiteral("list.chords.csv"));
        QCOMPARE(saveTextFile(saved, list.csv("list.mid")), QString());
        QFile csv(saved);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + table.rowCount());
        QVERIFY(lines.at(0).startsWith(QLatin1String("file,bar,beat,")) && lines.at(6).startsWith(QLatin1String("list.mid,7,1,")));
        QVERIFY(!saveTextFile(dir.filePath(QStringLiteral("none/list.csv")), "x").isEmpty());
    }

    // Listening names the notes of the last second alone, in the key the tracker hears.
    void listeningShowsTheChordOfTheLastSecond()
    {
        Player p;
        QVERIFY(p.start());
        ProfileTracking &live = p.window.runner().profileTracking();
        live.start();
        QStringList shown; // after each chord, a second long, at its end
        for (int ms = 0; ms < 16000; ms += 1000) {
            for (int status : {0x90, 0x80})
                for (int n : Cadence[std::size_t(ms / 1000 % 4)])
                    live.record({makeNoteEvent(0, status, n, 90, 0), 160}, status == 0x90 ? ms : ms + 1000);
            live.update(ms + 1000);
            shown << p.text("LblChordNow");
        }
        QCOMPARE(shown.mid(12), QStringList({"C — I of C major", "F — IV of C major", "G7 — V7 of C major", "C — I of C major"}));
        live.finish(18000);
        QCOMPARE(p.text("LblChordNow"), QString());
    }

    // Past the 64,000 events its analysis holds (8,000 C major chords, to 4,000 s), a play
    // shows the chord heard.
    void pastTheBufferThePlayShowsTheChordHeard()
    {
        OpenFile file;
        QVERIFY(file.openBytes(chordFile(8100, 480, {Cadence[0]}).bytes()));
        const std::optional<PlayKeys> keys = PlayKeys::of(file, FastOptions{});
        const ShownChord heard{{7, harmony::Quality::Dominant7, 0}, 167};
        QVERIFY(keys && !keys->whole());
        QVERIFY(keys->chordAt(3990000, heard).chord == (harmony::Chord{0, harmony::Quality::Major, 0}));
        QVERIFY(keys->chordAt(4010000, heard) == heard);
    }

    void stopEndsThePlay()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, scaleFile(), "stop.mid"));
        p.click("CmdPlay");
        p.clock.advance(130);
        QCOMPARE(p.notes.size(), 5);
        p.click("CmdStop");
        QCOMPARE(p.text("LblMess"), QStringLiteral("Stoped"));
        QCOMPARE(p.library.KeyGetTimeTCnt(), 130);
        p.clock.advance(3000);
        QCOMPARE(p.notes.size(), 5);
        QCOMPARE(p.text("LblMess"), QStringLiteral("Stoped"));
        QCOMPARE(p.library.KeyGetTimeTCnt(), 130); // the library's clock stopped too
        QVERIFY(p.child<RunTimer>("TimerCTime")->isActive());
        QVERIFY(!p.child<RunTimer>("Timer1")->isActive());
        QCOMPARE(p.text("LblKType"), QStringLiteral("Current Key")); // no reports
    }

    void rejectedNoteEndsThePlayWithoutReports()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        f.addTrack().note(0, 60, 100, 60).note(0, 1, 100, 60).note(0, 62, 100, 60);
        Player p;
        p.refusing.refuse(1);
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, f, "note0.mid"));
        p.click("CmdPlay");
        p.clock.advance(125);
        QCOMPARE(p.text("LblError"), QStringLiteral("Tonalyte return error"));
        QCOMPARE(p.notes.last(), QStringLiteral("Note 001 On 100"));
        QVERIFY(!p.output.isPlaying());
        QCOMPARE(p.window.runner().state(), RunState::Idle);
        p.clock.advance(3000);
        QCOMPARE(p.text("LblError"), QStringLiteral("Tonalyte return error"));
        QVERIFY(!p.child<RunTimer>("Timer1")->isActive());
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
        p.clock.advance(1000);
        QCOMPARE(p.text("LblError"), QStringLiteral("End Of Data"));
        QVERIFY(p.notes.isEmpty());

        p.child<QCheckBox>("ChkAll")->click();
        QVERIFY(p.child<QComboBox>("CmbTrks")->isEnabled());
        p.click("CmdPlay");
        p.clock.advance(1000);
        QCOMPARE(p.text("LblError"), QStringLiteral("End Of Data"));
        QCOMPARE(p.notes.size(), 30);
        QCOMPARE(p.notes.at(1), QStringLiteral("Note 060 Off"));
        QCOMPARE(p.text("LblKeyStr"), ScaleKey);
    }

    void closingWhilePlayingStopsSoundAndClock()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, scaleFile(), "close.mid"));
        p.click("CmdPlay");
        p.clock.advance(70);
        QCOMPARE(p.notes.size(), 3);
        QVERIFY(p.window.close());
        QVERIFY(!p.output.isPlaying());
        p.clock.advance(3000);
        QCOMPARE(p.library.KeyGetTimeTCnt(), 70);
        QCOMPARE(p.notes.size(), 3);
        QVERIFY(!p.child<RunTimer>("TimerCTime")->isActive());
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
