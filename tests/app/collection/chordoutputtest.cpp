// The chord chart of tunedeck-detect's text, from segments made by hand.
#include "core/analysis/chordoutput.h"

#include <QTest>

#include <tuple>

using namespace tunedeck;
using harmony::Chord;
using chords::ChordSegment;
using harmony::Quality;

namespace {

constexpr int C = 160, G = 167; // key codes of C and G major

// Segments at ticks in 4/4, 480 ticks a quarter, placed in their bars as the analysis does.
std::vector<ChordSegment> segments(const std::vector<std::tuple<std::int64_t, std::int64_t, Chord, int>> &spans)
{
    std::vector<ChordSegment> out;
    for (const auto &[tick, end, chord, key] : spans) {
        ChordSegment s{tick, end, 1, 1, 0, chord, key, 0.5};
        chords::placeInBar(s, {480, 1920, 1.0});
        out.push_back(s);
    }
    return out;
}

} // namespace

class ChordOutputTest : public QObject {
    Q_OBJECT

private slots:
    void chart_data()
    {
        QTest::addColumn<std::vector<ChordSegment>>("chords");
        QTest::addColumn<QStringList>("lines");
        const Chord c{0, Quality::Major}, g7b{7, Quality::Dominant7, 4}, d7{2, Quality::Dominant7}, none{};
        // Held over the bar line, changes on and off the beat, a new key within a bar, a bar
        // of rest left out, bars past 9999.
        QTest::newRow("changes") << segments({{0, 2880, c, C}, {2880, 3120, g7b, C}, {3120, 3840, d7, G},
                                              {3840, 5760, none, G}, {6720, 7680, Chord{7, Quality::Major}, G},
                                              {19999 * 1920, 20000 * 1920, Chord{4, Quality::Minor}, G}})
                                 << QStringList{"0001: [C major] C", "0002: C G7/B@3 [G major] D7@3.5", "0004: G@3",
                                                "20000: Em"};
        // A rest held into a bar with a chord shows there; the key is named at the first chord.
        QTest::newRow("rest first") << segments({{0, 2400, none, C}, {2400, 2560, c, C}, {2560, 3840, d7, C}})
                                    << QStringList{"0002: N.C. [C major] C@2 D7@2.333"};
        QTest::newRow("none") << std::vector<ChordSegment>{} << QStringList{};
        // The bars a chord fills alone share one line; a bar with anything else, or held
        // over only one bar line, keeps its own.
        const Chord g{7, Quality::Major};
        QTest::newRow("held through bars") << segments({{0, 5 * 1920, c, C}})
                                           << QStringList{"0001: [C major] C", "0002-0005: C"};
        QTest::newRow("held into a change") << segments({{0, 4 * 1920 + 960, c, C}, {4 * 1920 + 960, 5 * 1920, g, C}})
                                            << QStringList{"0001: [C major] C", "0002-0004: C", "0005: C G@3"};
        QTest::newRow("held one bar") << segments({{960, 2 * 1920, c, C}, {2 * 1920, 3 * 1920, g, C}})
                                      << QStringList{"0001: [C major] C@3", "0002: C", "0003: G"};
        QTest::newRow("struck again") << segments({{0, 3 * 1920, c, C}, {3 * 1920, 6 * 1920, c, C}})
                                      << QStringList{"0001: [C major] C", "0002-0003: C", "0004: C", "0005-0006: C"};
        QTest::newRow("held, then a rest") << segments({{0, 3 * 1920, c, C}, {3 * 1920, 5 * 1920 + 480, none, C},
                                                        {5 * 1920 + 480, 6 * 1920, g, C}})
                                           << QStringList{"0001: [C major] C", "0002-0003: C", "0006: N.C. G@2"};
        // A 76-byte file may hold a chord for 2^26 bars: as many lines as the chords, not as the bars.
        const std::int64_t far = std::int64_t(1) << 26;
        QTest::newRow("held over 100000 bars") << segments({{0, 100000 * 1920, d7, G}})
                                               << QStringList{"0001: [G major] D7", "0002-100000: D7"};
        QTest::newRow("held past bar 2^26") << segments({{1920, far * 1920 + 960, c, C}, {far * 1920 + 960, (far + 1) * 1920, g, C}})
                                            << QStringList{"0002: [C major] C", "0003-67108864: C", "67108865: C G@3"};
    }

    void chart()
    {
        QFETCH(std::vector<ChordSegment>, chords);
        QFETCH(QStringList, lines);
        QStringList chart;
        for (const std::string &line : chordChart(chords, {480, 1920}))
            chart << QString::fromStdString(line);
        QCOMPARE(chart, lines);
        // In the text block's column, under its label.
        const QString under = QLatin1Char('\n') + QString(20, QLatin1Char(' '));
        QCOMPARE(QString::fromStdString(chordChartText(chords, {480, 1920})),
                 "  Chords            " + (lines.isEmpty() ? QStringLiteral("-") : lines.join(under)) + '\n');
    }

    // --roman: each chord, held over too, with its numeral in its own key; a rest has none.
    void chartWithNumerals()
    {
        const Chord c{0, Quality::Major}, none{};
        const Chord g7b{7, Quality::Dominant7, 4}, d7{2, Quality::Dominant7};
        const std::vector<ChordSegment> chords =
            segments({{0, 2880, c, C}, {2880, 3120, g7b, C}, {3120, 3840, d7, G}, {3840, 5760, none, G}});
        QStringList chart;
        for (const std::string &line : chordChart(chords, {480, 1920}, true))
            chart << QString::fromStdString(line);
        QCOMPARE(chart, QStringList({"0001: [C major] C(I)", "0002: C(I) G7/B(V65)@3 [G major] D7(V7)@3.5"}));
    }
};

QTEST_GUILESS_MAIN(ChordOutputTest)
#include "chordoutputtest.moc"
