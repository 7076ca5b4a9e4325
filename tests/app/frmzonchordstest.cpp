// The window's chords, silently, on the test's clock: the chord of the moment beside the
// profile line during a play (also after a seek, and past the event buffer) and while
// listening, and the chord lane along the roll after "2- Fast Detect" and during a play,
// with its Roman numerals.
#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "clockedtonalyte.h"
#include "midiwriter.h"
#include "pianoroll/pianorollwidget.h"
#include "playback/playlistoutput.h"
#include "run/profiletracking.h"
#include "windows/frmzon.h"
#include "windows/pianorollpanel.h"
#include "windowtestmain.h"

using namespace tunedeck;

namespace {

// Block chords in C major, root in the bass, each held for `seconds` at 120 crotchets a
// minute: C, F, G7, C, over and over.
const std::vector<std::vector<int>> Cadence = {{48, 64, 67, 72}, {41, 60, 65, 69}, {43, 59, 62, 65}, {48, 64, 67, 72}};

midiwriter::File cadenceFile(int rounds)
{
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int r = 0; r < rounds; ++r)
        for (const auto &chord : Cadence) {
            for (int n : chord)
                t.noteOn(0, n, 90);
            t.wait(4 * 480); // 2 s
            for (int n : chord)
                t.noteOff(0, n);
        }
    return f;
}

struct Player {
    TestClock clock;
    ClockedTonalyte engine{clock};
    PlayListOutput output{SoundOptions{true, {}}, clock};
    FrmZon window{engine.library, &output, clock};
    Runner &runner = window.runner();
    const PianoRollWidget &roll = *window.pianoRoll()->roll();

    bool start()
    {
        if (!window.Form_Initialize(false))
            return false;
        window.show();
        return true;
    }
    template <typename W = QLabel>
    W *child(const char *name)
    {
        for (W *w : window.findChildren<W *>(QLatin1String(name)))
            if (w->window() == &window)
                return w;
        return nullptr;
    }
    QString chordNow() { return child("LblChordNow")->text(); }
    // The play clock moved on to ms.
    QString chordAt(std::int64_t ms)
    {
        clock.advance(ms - std::int64_t(runner.clock()));
        return chordNow();
    }
    // The lane as a wide roll lays it out, so that every name fits.
    std::pair<QStringList, QStringList> laneNames() const
    {
        const QFontMetricsF fm(roll.font());
        const PianoRollLayout layout = layoutPianoRoll(roll.data(), QRectF(0, 0, 2000, 400),
                                                       wholePiece(roll.data().endMs), &fm, roll.chordNames());
        QStringList symbols, numerals;
        for (const ChordLaneCell &cell : chordLaneCells(roll.data(), layout, fm)) {
            symbols << cell.symbol;
            numerals << cell.numeral;
        }
        return {symbols, numerals};
    }
};

} // namespace

class FrmZonChordsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    // Read each second, at the play's position, as the local key is; a seek shows what a
    // play from the start shows there; nothing once the play stops.
    void playShowsTheChordOfTheMoment()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, cadenceFile(2), "cadence.mid"));
        QTest::mouseClick(p.child<QPushButton>("CmdPlay"), Qt::LeftButton);
        QCOMPARE(p.chordNow(), QString());
        const struct {
            std::int64_t ms;
            const char *shown;
        } moments[] = {{1000, "C — I of C major"}, {3000, "F — IV of C major"}, {5000, "G7 — V7 of C major"},
                       {7000, "C — I of C major"}, {11500, "F — IV of C major"}};
        for (const auto &m : moments)
            QCOMPARE(p.chordAt(m.ms), QString::fromUtf8(m.shown));
        p.runner.seek(4500);
        QCOMPARE(p.chordNow(), QStringLiteral("G7 — V7 of C major"));
        p.runner.seek(2500);
        QCOMPARE(p.chordNow(), QStringLiteral("F — IV of C major"));
        QCOMPARE(p.chordAt(6000), QStringLiteral("C — I of C major"));
        QTest::mouseClick(p.child<QPushButton>("CmdStop"), Qt::LeftButton);
        QCOMPARE(p.chordNow(), QString());
    }

    // A file over the 64,000-event buffer plays on: past the notes its analysis holds (the
    // first 4,000 chords, to 1,000 s), the play shows the chord heard, as listening does.
    void pastTheBufferThePlayShowsTheChordHeard()
    {
        midiwriter::File f(1, 480);
        f.addTrack().tempo(500000);
        auto &t = f.addTrack();
        for (int chord = 0; chord < 8100; ++chord) { // 8 notes an eighth: 129,600 events
            for (int note : {48, 52, 55, 60, 64, 67, 72, 76})
                t.noteOn(0, note, 90);
            t.wait(240);
            for (int note : {48, 52, 55, 60, 64, 67, 72, 76})
                t.noteOff(0, note);
        }
        OpenFile file;
        QVERIFY(file.openBytes(f.bytes()));
        const std::optional<PlayKeys> keys = PlayKeys::of(file, FastOptions{});
        QVERIFY(keys && !keys->whole());
        const ShownChord heard{{7, chords::Quality::Dominant7, 0}, 167};
        QVERIFY(keys->chordAt(990000, heard) == (ShownChord{{0, chords::Quality::Major, 0}, 160}));
        QVERIFY(keys->chordAt(1010000, heard) == heard);
    }

    // Listening names the notes of the last second alone, in the key the tracker hears, and
    // forgets the chord when it ends.
    void listeningShowsTheChordOfTheLastSecond()
    {
        Player p;
        QVERIFY(p.start());
        ProfileTracking &live = p.runner.profileTracking();
        live.start();
        std::int64_t ms = 0;
        QStringList shown; // after each chord, read at the second it ends
        for (int round = 0; round < 4; ++round)
            for (const auto &chord : Cadence) {
                for (int n : chord)
                    live.record({makeNoteEvent(0, 0x90, n, 90, 0), 160}, ms);
                ms += 1000;
                for (int n : chord)
                    live.record({makeNoteEvent(0, 0x80, n, 0, 0), 160}, ms);
                live.update(ms);
                shown << p.chordNow();
            }
        QCOMPARE(shown.mid(12), QStringList({"C — I of C major", "F — IV of C major", "G7 — V7 of C major",
                                             "C — I of C major"}));
        live.update(ms + 1000); // a second of silence
        QCOMPARE(p.chordNow(), QStringLiteral("N.C."));
        live.finish(ms + 1500);
        QCOMPARE(p.chordNow(), QString());
    }

    // The lane holds the fast run's chords where they sound, and a play's the same; the
    // Roman option writes their numerals under them, and the label has no moment to show.
    void laneShowsTheChords()
    {
        Player p;
        QVERIFY(p.start());
        p.window.selectMidiFile(savedMidi(dir, cadenceFile(2), "lane.mid"));
        QTest::mouseClick(p.child<QPushButton>("CmdPlay"), Qt::LeftButton);
        p.clock.advance(3000);
        const std::vector<RollChord> played = p.roll.data().chords;
        QTest::mouseClick(p.child<QPushButton>("CmdFastDetect"), Qt::LeftButton);
        QCOMPARE(p.chordNow(), QString());

        const std::vector<RollChord> &lane = p.roll.data().chords;
        QCOMPARE(lane, played);
        QList<int> starts;
        for (const RollChord &c : lane)
            starts << c.startMs;
        QCOMPARE(starts, QList<int>({0, 2000, 4000, 6000, 10000, 12000, 14000})); // C held over the join
        QCOMPARE(p.laneNames(), std::pair(QStringList({"C", "F", "G7", "C", "F", "G7", "C"}), QStringList(7, QString())));
        p.child<QCheckBox>("ChkRoman")->click();
        QCOMPARE(p.laneNames().second, QStringList({"I", "IV", "V7", "I", "IV", "V7", "I"}));
        QVERIFY(p.roll.layout().chordLane.height() > QFontMetricsF(p.roll.font()).height() * 2);
    }
};

TUNEDECK_WINDOW_TEST_MAIN(FrmZonChordsTest)

#include "frmzonchordstest.moc"
