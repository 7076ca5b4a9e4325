// The window's chord lane at the two small screens: names at every zoom without overlap, a
// numeral only under its symbol, a chord's tool tip as the chord list says it, the keyboard
// from chord to chord, and the zoom of the roll (buttons, keys, Ctrl+wheel) keeping a play in
// sight, on the test's clock.
#include <QtTest>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QToolTip>

#include "clockedtonalyte.h"
#include "midiwriter.h"
#include "qt/pianoroll/pianorollwidget.h"
#include "qt/playback/playlistoutput.h"
#include "qt/windows/chordlistpanel.h"
#include "qt/windows/frmzon.h"
#include "qt/windows/pianorollpanel.h"
#include "windowtestmain.h"

using namespace tunedeck;

namespace {

// C, F, G7, C in turn, a second each: a minute of chords, narrow on the whole piece.
midiwriter::File cadences()
{
    const std::vector<std::vector<int>> cadence = {{48, 64, 67, 72}, {41, 60, 65, 69}, {43, 59, 62, 65}, {48, 64, 67, 72}};
    midiwriter::File f(1, 480);
    f.addTrack().tempo(500000);
    auto &t = f.addTrack();
    for (int i = 0; i < 60; ++i) {
        for (int n : cadence[std::size_t(i) % 4])
            t.noteOn(0, n, 90);
        t.wait(960);
        for (int n : cadence[std::size_t(i) % 4])
            t.noteOff(0, n);
    }
    return f;
}

struct Player {
    TestClock clock;
    ClockedTonalyte engine{clock};
    PlayListOutput output{SoundOptions{true, {}}, clock};
    FrmZon window{engine.library, &output, clock};

    template <typename W>
    W *child(const char *name)
    {
        for (W *w : window.findChildren<W *>(QLatin1String(name)))
            if (w->window() == &window)
                return w;
        return nullptr;
    }
    PianoRollWidget &roll() { return *window.pianoRoll()->roll(); }
};

// The lane's names as drawn: none overlapping nor past the lane, a numeral only under its
// symbol and under each when numerals are shown. How many were named.
int checkedNames(PianoRollWidget &roll)
{
    const QFontMetricsF fm(roll.font(), &roll);
    const PianoRollLayout layout = roll.layout();
    const bool numerals = layout.chordNames == ChordNames::WithNumerals;
    double end = -1;
    int named = 0;
    for (const ChordLaneCell &cell : chordLaneCells(roll.data(), layout, fm)) {
        if (cell.symbol.isEmpty()) {
            if (!cell.numeral.isEmpty())
                return -1;
            continue;
        }
        if (cell.labelLeft <= end || numerals == cell.numeral.isEmpty())
            return -1;
        end = cell.labelLeft + std::max(fm.horizontalAdvance(cell.symbol), fm.horizontalAdvance(cell.numeral));
        if (end > layout.chordLane.right())
            return -1;
        ++named;
    }
    return named;
}

// The middle of a chord's stretch in the lane.
QPointF inLane(PianoRollWidget &roll, std::size_t chord)
{
    const PianoRollLayout l = roll.layout();
    const RollChord &c = roll.data().chords[chord];
    return {l.xOf((c.startMs + c.endMs) / 2.0), l.chordLane.center().y()};
}

} // namespace

class ChordLaneTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    std::unique_ptr<Player> detected(QSize screen)
    {
        auto p = std::make_unique<Player>();
        if (!p->window.Form_Initialize(false))
            return nullptr;
        p->window.show();
        p->window.fitTo(screen);
        QCoreApplication::processEvents();
        p->window.selectMidiFile(savedMidi(dir, cadences(), "cadences.mid"));
        p->child<QPushButton>("CmdFastDetect")->click();
        QCoreApplication::processEvents();
        return p;
    }

private slots:
    void sizes_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("1366 x 768") << QSize(1366, 768);
        QTest::newRow("1024 x 600") << QSize(1024, 600);
    }

    // The whole piece names chords; zoomed in, every chord in sight; with numerals or without.
    void namesAtEveryZoom_data() { sizes_data(); }
    void namesAtEveryZoom()
    {
        QFETCH(QSize, screen);
        auto p = detected(screen);
        QVERIFY(p);
        PianoRollWidget &roll = p->roll();
        QCOMPARE(roll.data().chords.size(), std::size_t(46)); // a cadence's last C held into the next one's
        const RollWindow whole = roll.window();
        for (bool numerals : {false, true}) {
            p->child<QCheckBox>("ChkRoman")->setChecked(numerals);
            QVERIFY2(checkedNames(roll) >= 6, qPrintable(QString::number(checkedNames(roll))));
        }
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(p->child<QToolButton>("CmdZoomIn"), Qt::LeftButton);
        QCOMPARE(roll.window().span(), whole.span() / 8);
        int inSight = 0;
        for (const RollChord &c : roll.data().chords)
            inSight += c.startMs < roll.window().toMs && c.endMs > roll.window().fromMs;
        QCOMPARE(checkedNames(roll), inSight);
        QTest::mouseClick(p->child<QToolButton>("CmdWholePiece"), Qt::LeftButton);
        QCOMPARE(roll.window(), whole);
    }

    // A chord's tool tip says what the chord list says of it; elsewhere there is none.
    void tipAsTheChordList_data() { sizes_data(); }
    void tipAsTheChordList()
    {
        QFETCH(QSize, screen);
        auto p = detected(screen);
        QVERIFY(p);
        PianoRollWidget &roll = p->roll();
        p->child<QCheckBox>("ChkRoman")->setChecked(true);
        const QTableWidget &list = *p->window.chordList()->table();
        QCOMPARE(std::size_t(list.rowCount()), roll.data().chords.size());
        for (const int row : {1, 2, 44}) {
            const auto cell = [&](int column) { return list.item(row, column)->text(); };
            const QString expected = QStringLiteral("%1 \u2014 %2 of %3\nBar %4, beat %5\nConfidence %6")
                                         .arg(cell(2), cell(3), cell(4), cell(0), cell(1), cell(5));
            const QPointF at = inLane(roll, std::size_t(row));
            QCOMPARE(roll.tipAt(at), expected);
            QHelpEvent help(QEvent::ToolTip, at.toPoint(), roll.mapToGlobal(at.toPoint()));
            QApplication::sendEvent(&roll, &help);
            QCOMPARE(QToolTip::text(), expected);
        }
        QCOMPARE(roll.tipAt(QPointF(inLane(roll, 1).x(), roll.layout().area.center().y())), QString());
    }

    // Tab reaches the lane; Left and Right go from chord to chord, outlined and named to
    // accessibility; Space still plays.
    void keyboardAlongTheLane_data() { sizes_data(); }
    void keyboardAlongTheLane()
    {
        QFETCH(QSize, screen);
        auto p = detected(screen);
        QVERIFY(p);
        PianoRollWidget &roll = p->roll();
        auto *roman = p->child<QCheckBox>("ChkRoman");
        roman->setChecked(true);
        const auto name = [&roll] { return QAccessible::queryAccessibleInterface(&roll)->text(QAccessible::Name); };
        const QString before = name();
        roman->setFocus(Qt::TabFocusReason);
        QTest::keyClick(roman, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), &roll);
        QCOMPARE(roll.focusedChord(), std::optional<std::size_t>(0));
        QCOMPARE(name(), QStringLiteral("C \u2014 I of C major"));
        QVERIFY(name() != before);
        QTest::keyClick(&roll, Qt::Key_Right);
        QCOMPARE(name(), QStringLiteral("F \u2014 IV of C major"));
        QCOMPARE(roll.accessibleDescription(), roll.tipAt(inLane(roll, 1)));
        roman->setChecked(false); // the symbol alone, said at once
        QCOMPARE(name(), QStringLiteral("F"));
        roman->setChecked(true);
        QTest::keyClick(&roll, Qt::Key_Left);
        QTest::keyClick(&roll, Qt::Key_Left); // no chord before the first
        QCOMPARE(roll.focusedChord(), std::optional<std::size_t>(0));

        // The outline in the highlight's colour, only while the roll has the keyboard.
        const auto outlined = [&roll] {
            const QImage shot = roll.grab().toImage();
            const QRect lane = roll.layout().chordLane.toRect();
            const QRgb mark = roll.palette().color(QPalette::Highlight).rgb();
            int count = 0;
            for (int y = lane.top(); y <= lane.bottom(); ++y)
                for (int x = lane.left(); x <= lane.right(); ++x)
                    count += shot.pixel(x, y) == mark;
            return count;
        };
        QVERIFY(outlined() > 0);
        QTest::keyClick(&roll, Qt::Key_Space);
        QCOMPARE(p->window.runner().state(), RunState::Playing);
        QTest::keyClick(&roll, Qt::Key_Escape);
        roman->setFocus();
        QCOMPARE(outlined(), 0);
    }

    // Buttons and keys zoom and show the whole piece; in a play, about the play position and
    // Ctrl+wheel about the mouse, the play stays in sight. A zoom button leaves Space to the play.
    void zoomKeepsThePlayInSight_data() { sizes_data(); }
    void zoomKeepsThePlayInSight()
    {
        QFETCH(QSize, screen);
        auto p = detected(screen);
        QVERIFY(p);
        PianoRollWidget &roll = p->roll();
        const RollWindow whole = roll.window();
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus, Qt::Key_Plus, Qt::ControlModifier);
        QTest::keyClick(focus, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(roll.window().span(), whole.span() / 4);
        QTest::keyClick(focus, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(roll.window().span(), whole.span() / 2);
        QTest::keyClick(focus, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(roll.window(), whole);

        p->child<QPushButton>("CmdPlay")->click();
        p->clock.advance(41000);
        QTRY_COMPARE(roll.playPosition().value_or(0), 41000);
        const auto inSight = [&roll] { return roll.window().fromMs <= 41000 && 41000 < roll.window().toMs; };
        QTest::mouseClick(p->child<QToolButton>("CmdZoomOut"), Qt::LeftButton);
        QVERIFY(inSight());
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(p->child<QToolButton>("CmdZoomIn"), Qt::LeftButton);
        QVERIFY(inSight());
        QCOMPARE(QApplication::focusWidget(), focus);
        // Zoomed about the far right, the play position near the left would leave the window.
        const PianoRollLayout l = roll.layout();
        QVERIFY(l.xOf(41000) < l.area.center().x());
        const QPointF right(l.area.right() - 1, l.area.center().y());
        QWheelEvent wheel(right, roll.mapToGlobal(right), {}, QPoint(0, 360), Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&roll, &wheel);
        QVERIFY2(inSight(), qPrintable(QStringLiteral("%1-%2").arg(roll.window().fromMs).arg(roll.window().toMs)));
        QTest::keyClick(focus, Qt::Key_0, Qt::ControlModifier);
        QVERIFY(inSight());
        QCOMPARE(roll.window().span(), whole.span());
        QTest::keyClick(focus, Qt::Key_Space); // pauses
        QCOMPARE(p->window.runner().state(), RunState::Paused);
        QTest::keyClick(focus, Qt::Key_Escape);
    }
};

TUNEDECK_WINDOW_TEST_MAIN(ChordLaneTest)

#include "chordlanetest.moc"
