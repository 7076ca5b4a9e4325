// The piano roll: notes paired from play-list events, the notes found in a range, the time
// under a click, the window that follows a play, and the chord lane.
#include <QSignalSpy>
#include <QTest>

#include "qt/pianoroll/pianorollwidget.h"
#include "core/pianoroll/rollsources.h"

#include <QApplication>
#include <QFontMetricsF>

#include <random>

using namespace tunedeck;

Q_DECLARE_METATYPE(std::vector<TimedEvent>)
Q_DECLARE_METATYPE(std::vector<RollNote>)

namespace {

// Events as (ms, status, pitch, velocity) quadruples.
std::vector<TimedEvent> events(const QList<int> &flat)
{
    std::vector<TimedEvent> result;
    for (qsizetype i = 0; i + 3 < flat.size(); i += 4)
        result.push_back({flat[i], std::uint8_t(flat[i + 1]), std::uint8_t(flat[i + 2]), std::uint8_t(flat[i + 3])});
    return result;
}

// Notes as (start, end, pitch, channel) quadruples.
std::vector<RollNote> notes(const QList<int> &flat)
{
    std::vector<RollNote> result;
    for (qsizetype i = 0; i + 3 < flat.size(); i += 4)
        result.push_back({flat[i], flat[i + 1], std::uint8_t(flat[i + 2]), std::uint8_t(flat[i + 3])});
    return result;
}

} // namespace

class PianoRollTest : public QObject {
    Q_OBJECT
private slots:
    void pairsNotes_data()
    {
        QTest::addColumn<std::vector<TimedEvent>>("input");
        QTest::addColumn<std::vector<RollNote>>("expected");
        QTest::newRow("on, off") << events({0, 0x90, 60, 80, 500, 0x80, 60, 0})
                                 << notes({0, 500, 60, 0});
        QTest::newRow("velocity 0 is an off") << events({0, 0x93, 64, 80, 250, 0x93, 64, 0})
                                              << notes({0, 250, 64, 3});
        // Each off ends the earliest sounding note of its pitch and channel.
        QTest::newRow("same pitch overlapping")
            << events({0, 0x90, 60, 80, 100, 0x90, 60, 80, 200, 0x80, 60, 0, 300, 0x80, 60, 0})
            << notes({0, 200, 60, 0, 100, 300, 60, 0});
        QTest::newRow("channels apart")
            << events({0, 0x90, 60, 80, 0, 0x91, 60, 80, 100, 0x81, 60, 0, 400, 0x80, 60, 0})
            << notes({0, 400, 60, 0, 0, 100, 60, 1});
        // Unmatched ons last until the last event of any kind; a stray off is ignored.
        QTest::newRow("unmatched on") << events({10, 0x80, 50, 0, 100, 0x90, 62, 80, 900, 0xFF, 0x2F, 0})
                                      << notes({100, 900, 62, 0});
        QTest::newRow("off at the on's time lasts 1 ms") << events({40, 0x90, 60, 80, 40, 0x80, 60, 0})
                                                         << notes({40, 41, 60, 0});
        // A later track's notes come after an earlier track's in the list: sorted by start.
        QTest::newRow("tracks in turn")
            << events({500, 0x90, 70, 80, 600, 0x80, 70, 0, 0, 0x91, 40, 80, 100, 0x81, 40, 0})
            << notes({0, 100, 40, 1, 500, 600, 70, 0});
    }
    void pairsNotes()
    {
        QFETCH(std::vector<TimedEvent>, input);
        QFETCH(std::vector<RollNote>, expected);
        const PianoRollData data = rollFromEvents(input);
        QCOMPARE(data.notes, expected);
        QVERIFY(data.highPitch - data.lowPitch >= 11);
    }

    // Against a plain scan, on random notes and ranges, ends included.
    void findsExactlyTheOverlappingNotes()
    {
        std::mt19937 rng(3);
        std::vector<TimedEvent> input;
        for (int i = 0; i < 3000; ++i) {
            const int start = int(rng() % 100000), length = int(rng() % 3000), pitch = 40 + int(rng() % 40);
            input.push_back({start, 0x90, std::uint8_t(pitch), 80});
            input.push_back({start + length, 0x80, std::uint8_t(pitch), 0});
        }
        const PianoRollData data = rollFromEvents(input);
        for (int round = 0; round < 300; ++round) {
            const RollNote &edge = data.notes[rng() % data.notes.size()];
            // Ranges ending or starting exactly on a note's ends, and random ones.
            const int from = round % 3 == 0 ? edge.endMs : round % 3 == 1 ? edge.startMs : int(rng() % 110000) - 5000;
            const int to = from + (round % 5 == 0 ? 1 : int(rng() % 20000));
            std::vector<std::size_t> expected;
            for (std::size_t i = 0; i < data.notes.size(); ++i)
                if (data.notes[i].startMs < to && data.notes[i].endMs > from)
                    expected.push_back(i);
            QCOMPARE(notesIn(data, from, to), expected);
        }
    }

    // A time's point gives the time back to the ms, and a point's time gives the point back
    // to half a ms; a click asks for the time under it.
    void clickPositionRoundTrip_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("fromMs");
        QTest::addColumn<int>("toMs");
        QTest::newRow("zoomed in") << 1200 << 3000 << 3500;
        QTest::newRow("20 s") << 1200 << 61000 << 81000;
        QTest::newRow("long piece, narrow") << 173 << 0 << 3600000;
    }
    void clickPositionRoundTrip()
    {
        QFETCH(int, width);
        QFETCH(int, fromMs);
        QFETCH(int, toMs);
        const PianoRollLayout layout = layoutPianoRoll({}, QRectF(0, 0, width, 100), {fromMs, toMs});
        for (int ms = fromMs; ms < toMs; ms += std::max(1, (toMs - fromMs) / 997))
            QCOMPARE(layout.msAt(layout.xOf(ms)), ms);
        for (int x = 0; x < width; x += 7)
            QVERIFY(std::abs(layout.xOf(layout.msAt(x)) - x) <= 0.5 / layout.msPerPixel() + 1e-9);

        PianoRollWidget widget;
        widget.resize(width, 100);
        widget.setData(rollFromEvents(events({0, 0x90, 60, 80, toMs, 0x80, 60, 0})));
        widget.setPlayPosition(fromMs); // a play shows 20 s around the position
        QSignalSpy seeks(&widget, &PianoRollWidget::seekRequested);
        QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(width / 3, 50));
        QCOMPARE(seeks.size(), 1);
        QCOMPARE(seeks[0][0].value<std::int32_t>(), widget.layout().msAt(width / 3));
        QVERIFY(widget.window().fromMs <= fromMs && fromMs < widget.window().toMs);
    }

    // A map's keys in ms: bars from 1, a stretch of no key left out, the preferred row
    // unless it is empty; seconds without a bar length.
    void keysOfAMap()
    {
        KeyMapData bars{KeyMapUnit::Bar, 5, {}};
        bars.rows.push_back({"Tonalyte timeline", {{1, 5, 167}}});
        bars.rows.push_back({"Profile analysis", {{1, 2, 160}, {3, 4, 0}, {5, 5, 69}}});
        PianoRollData data;
        data.keys = rollKeysOfMap(bars, "Profile analysis", 2000);
        QCOMPARE(data.keys, (std::vector<RollKey>{{0, 4000, 160}, {8000, 10000, 69}}));
        const QList<QPair<int, int>> at = {{0, 160}, {3999, 160}, {4000, 0}, {8000, 69}, {10000, 0}, {-1, 0}};
        for (const auto &[ms, code] : at)
            QCOMPARE(rollKeyAt(data, ms), code);
        bars.rows[1].segments.clear();
        QCOMPARE(rollKeysOfMap(bars, "Profile analysis", 2000), (std::vector<RollKey>{{0, 10000, 167}}));
        const KeyMapData seconds{KeyMapUnit::Second, 3, {{"Profile analysis", {{0, 2, 69, true}}}}};
        QCOMPARE(rollKeysOfMap(seconds, "Profile analysis", 0), (std::vector<RollKey>{{0, 3000, 69, true}}));
    }

    // The times above the notes and the Cs at their left: their names, room of their own,
    // labels apart, and text standing out of the strip in a light and a dark palette.
    void labelsTimeAndPitch()
    {
        QCOMPARE(QStringList({pitchName(0), pitchName(61), pitchName(127), rollTimeText(65999), rollTimeText(3600000)}),
                 QStringList({"C-1", "C#4", "G9", "1:05", "60:00"}));
        PianoRollWidget widget;
        widget.resize(480, 300);
        widget.setData(rollFromEvents(events({0, 0x90, 36, 80, 0, 0x90, 84, 80, 70000, 0x80, 36, 0, 70000, 0x80, 84, 0})));
        const PianoRollLayout layout = widget.layout();
        QCOMPARE(layout.area.topLeft(), QPointF(layout.pitchAxis.right(), layout.timeAxis.bottom()));
        QCOMPARE(layout.pitchLabels(), (std::vector<int>{36, 48, 60, 72, 84}));
        const std::vector<std::int32_t> ticks = layout.timeTicks();
        QVERIFY(ticks.size() >= 3 && ticks.front() == 0);
        for (std::size_t i = 1; i < ticks.size(); ++i)
            QVERIFY(layout.xOf(ticks[i]) - layout.xOf(ticks[i - 1]) > widget.fontMetrics().horizontalAdvance(rollTimeText(ticks[i])));
        for (const auto &[ground, ink] : {std::pair{QColor(239, 239, 239), QColor(0, 0, 0)}, std::pair{QColor(40, 40, 40), QColor(230, 230, 230)}}) {
            QPalette palette = widget.palette();
            palette.setColor(QPalette::Window, ground);
            palette.setColor(QPalette::WindowText, ink);
            widget.setPalette(palette);
            const QImage shot = widget.grab().toImage();
            int inked = 0; // pixels of the strip nearer the text's colour than its ground
            for (int y = int(layout.timeAxis.top()); y < int(layout.timeAxis.bottom()); ++y)
                for (int x = int(layout.timeAxis.left()); x < int(layout.timeAxis.right()); ++x)
                    inked += std::abs(qGray(shot.pixel(x, y)) - qGray(ink.rgb())) < std::abs(qGray(shot.pixel(x, y)) - qGray(ground.rgb()));
            QVERIFY2(inked > 20 * int(ticks.size()), qPrintable(QString::number(inked)));
        }
    }

    // The chords along the roll, timed at 1.25 ms a tick (a segment under a ms left out); the
    // lane between the times and the notes, with each name whole where it fits, cut or left
    // out where not, always inside its chord; the Roman numerals under the symbols by choice.
    void chordLane()
    {
        using harmony::Quality;
        std::vector<chords::ChordSegment> segments(5);
        const std::int64_t ticks[] = {0, 960, 1440, 1920, 3840, 3840};
        const harmony::Chord named[] = {{0, Quality::Major, 0}, {7, Quality::Dominant7, 4}, {}, {9, Quality::Minor, 0}, {}};
        for (std::size_t i = 0; i < segments.size(); ++i)
            segments[i] = {ticks[i], ticks[i + 1], 1, 1, 0, named[i], 160};
        PianoRollData data = rollFromEvents(events({0, 0x90, 60, 80, 4800, 0x80, 60, 0}));
        data.chords = rollChords(segments, 1.25);
        QCOMPARE(data.chords.size(), std::size_t(4));
        QCOMPARE(QList<int>({data.chords[1].startMs, data.chords[1].endMs, data.chords[3].endMs}), QList<int>({1200, 1800, 4800}));

        const QFontMetricsF fm(QApplication::font());
        const auto names = [&](const PianoRollLayout &layout, bool numerals = false) {
            QStringList shown;
            for (const ChordLaneCell &cell : chordLaneCells(data, layout, fm))
                shown << (numerals ? cell.numeral : cell.symbol);
            return shown;
        };
        const QRectF wide(0, 0, 1200, 300);
        const PianoRollLayout symbols = layoutPianoRoll(data, wide, {0, 4800}, &fm);
        const PianoRollLayout numerals = layoutPianoRoll(data, wide, {0, 4800}, &fm, ChordNames::WithNumerals);
        QCOMPARE(QList<double>({symbols.chordLane.top(), symbols.area.top()}),
                 QList<double>({symbols.timeAxis.bottom(), symbols.chordLane.bottom()}));
        QVERIFY(numerals.chordLane.height() >= symbols.chordLane.height() + fm.height());
        QCOMPARE(names(symbols), QStringList({"C", "G7/B", "", "Am"}));
        QCOMPARE(names(symbols, true), QStringList({"", "", "", ""}));
        QCOMPARE(names(numerals, true), QStringList({"I", "V65", "", "vi"}));
        // A score's chord is named as the score writes it.
        data.chords[1].written = harmony::WrittenChord{{"Abb", "Cb"}, std::nullopt};
        QCOMPARE(names(symbols), QStringList({"C", "Abb7/Cb", "", "Am"}));
        data.chords[1].written.reset();
        // Squeezed: names run on over the chords after theirs but never into another name nor
        // past the lane; a numeral only under its symbol.
        QStringList seen;
        for (const double width : {400.0, 160.0, 120.0, 90.0, 70.0})
            for (const ChordNames shown : {ChordNames::Symbols, ChordNames::WithNumerals}) {
                const PianoRollLayout layout = layoutPianoRoll(data, QRectF(0, 0, width, 300), {0, 4800}, &fm, shown);
                double end = -1;
                for (const ChordLaneCell &cell : chordLaneCells(data, layout, fm)) {
                    QVERIFY(!cell.symbol.isEmpty() || cell.numeral.isEmpty());
                    if (cell.symbol.isEmpty())
                        continue;
                    seen << cell.symbol;
                    QVERIFY2(cell.labelLeft > end && cell.labelLeft >= cell.left, qPrintable(cell.symbol));
                    end = cell.labelLeft + std::max(fm.horizontalAdvance(cell.symbol), fm.horizontalAdvance(cell.numeral));
                    QVERIFY(end <= layout.chordLane.right());
                }
            }
        // Where G7/B no longer fits, G7 does.
        QVERIFY2(seen.contains(QStringLiteral("G7/B")) && seen.contains(QStringLiteral("G7")), qPrintable(seen.join(QLatin1Char(','))));
        data.chords.clear(); // nothing to show: the notes keep the room
        QCOMPARE(layoutPianoRoll(data, wide, {0, 4800}, &fm).area.top(), symbols.timeAxis.bottom());
    }

    void windowFollowsAndZooms()
    {
        const RollWindow w{10000, 30000};
        QCOMPARE(followPosition(w, 29999), w);
        QCOMPARE(followPosition(w, 30000), (RollWindow{28000, 48000}));
        QCOMPARE(followPosition(w, 500), (RollWindow{0, 20000}));
        // The anchor keeps its place across the view; the span keeps its limits.
        const RollWindow in = zoomWindow(w, 0.5, 15000);
        QCOMPARE(in, (RollWindow{12500, 22500}));
        QCOMPARE(zoomWindow(w, 1e-6, 15000).span(), MinRollSpanMs);
        QCOMPARE(zoomWindow(w, 10, 12000), (RollWindow{0, 200000}));
    }
};

QTEST_MAIN(PianoRollTest)
#include "pianorolltest.moc"
