// The key map: rows from the analyses' results, live growth, colours, pictures and hover.
#include <QApplication>
#include <QFontMetricsF>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include "keymap/keycolours.h"
#include "keymap/keymapexport.h"
#include "keymap/keymaplayout.h"
#include "keymap/keymaprows.h"
#include "keymap/keymapwidget.h"

using namespace tunedeck;

namespace {

// Flat lists keep the tables short: points as (position, code) pairs, segments as
// (first, last, code) triples.
std::vector<KeyChangePoint> points(const QList<int> &flat)
{
    std::vector<KeyChangePoint> result;
    for (qsizetype i = 0; i + 1 < flat.size(); i += 2)
        result.push_back({flat[i], flat[i + 1]});
    return result;
}

QList<int> flatten(const KeyMapData::Row &row)
{
    QList<int> flat;
    for (const KeyMapSegment &s : row.segments)
        flat << int(s.firstBar) << int(s.lastBar) << s.keyCode;
    return flat;
}

// A modulating piece: C major, A minor from bar 9, F major from bar 13; the second analysis
// hears A minor from bar 10 only.
KeyMapData example()
{
    KeyMapData data{KeyMapUnit::Bar, 16, {}};
    const std::vector<KeyChangePoint> timeline = points({1, 160, 9, 69, 13, 165});
    data.rows.push_back(rowFromChangePoints("Tonalyte", timeline, 1, 16));
    const std::vector<int> perBar = {160, 160, 160, 160, 160, 160, 160, 160, 160, 69, 69, 69, 165, 165, 165, 165};
    data.rows.push_back(rowFromBarKeys("Profile analysis", perBar));
    return data;
}

} // namespace

class KeyMapTest : public QObject {
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void liveGrowth_data();
    void liveGrowth();
    void fastRowIsTheTimeline_data();
    void fastRowIsTheTimeline();
    void colours();
    void pictures_data();
    void pictures();
    void refusedPictures();
    void hover();
};

void KeyMapTest::rows_data()
{
    // points (change points) or bars (one key a bar)
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<int>>("input");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QList<int>>("segments");

    QTest::newRow("each point holds until the next") << "points" << QList<int>{1, 160, 9, 167} << 1 << 16
                                                     << QList<int>{1, 8, 160, 9, 16, 167};
    QTest::newRow("same key again merges") << "points" << QList<int>{1, 160, 5, 160, 9, 167} << 1 << 16
                                           << QList<int>{1, 8, 160, 9, 16, 167};
    QTest::newRow("no key leaves a gap") << "points" << QList<int>{1, 160, 5, 0, 9, 160} << 1 << 16
                                         << QList<int>{1, 4, 160, 9, 16, 160};
    QTest::newRow("before the start and a tie") << "points" << QList<int>{0, 62, 1, 160, 3, 64, 3, 167} << 1 << 8
                                                << QList<int>{1, 2, 160, 3, 8, 167};
    QTest::newRow("after the end") << "points" << QList<int>{2, 160, 20, 167} << 1 << 16 << QList<int>{2, 16, 160};
    QTest::newRow("no points") << "points" << QList<int>{} << 1 << 16 << QList<int>{};
    QTest::newRow("per bar") << "bars" << QList<int>{160, 160, 0, 69, 69, 69, 999, 165} << 1 << 0
                             << QList<int>{1, 2, 160, 4, 6, 69, 8, 8, 165};
    QTest::newRow("per bar from bar 5") << "bars" << QList<int>{62, 62} << 5 << 0 << QList<int>{5, 6, 62};
}

void KeyMapTest::rows()
{
    QFETCH(QString, kind);
    QFETCH(QList<int>, input);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QList<int>, segments);

    KeyMapData::Row row;
    if (kind == QLatin1String("points")) {
        row = rowFromChangePoints("t", points(input), first, last);
    } else {
        const std::vector<int> keys(input.begin(), input.end());
        row = rowFromBarKeys("t", keys, first);
    }
    QCOMPARE(flatten(row), segments);
}

void KeyMapTest::liveGrowth_data()
{
    QTest::addColumn<QList<int>>("records"); // (position, code) pairs, row 0, in seconds
    QTest::addColumn<QList<int>>("segments");
    QTest::addColumn<int>("bars");

    QTest::newRow("same key over a gap") << QList<int>{0, 160, 1, 160, 4, 160} << QList<int>{0, 4, 160} << 5;
    QTest::newRow("a key holds until the next")
        << QList<int>{0, 160, 3, 167} << QList<int>{0, 2, 160, 3, 3, 167} << 4;
    QTest::newRow("no key is not painted over")
        << QList<int>{0, 160, 2, 0, 5, 160} << QList<int>{0, 1, 160, 2, 4, 0, 5, 5, 160} << 6;
    QTest::newRow("a correction in the same second")
        << QList<int>{0, 160, 3, 160, 3, 69} << QList<int>{0, 2, 160, 3, 3, 69} << 4;
    QTest::newRow("a correction back to the key before")
        << QList<int>{0, 160, 2, 69, 2, 160} << QList<int>{0, 2, 160} << 3;
    QTest::newRow("before the start") << QList<int>{-1, 160} << QList<int>{} << 0;
}

void KeyMapTest::liveGrowth()
{
    QFETCH(QList<int>, records);
    QFETCH(QList<int>, segments);
    QFETCH(int, bars);

    KeyMapData data{KeyMapUnit::Second, 0, {}};
    for (const KeyChangePoint &r : points(records))
        recordKey(data, 0, r.position, r.keyCode);
    QCOMPARE(data.rows.empty() ? QList<int>{} : flatten(data.rows[0]), segments);
    QCOMPARE(data.bars, bars);

    recordKey(data, 2, 7, 62);
    QCOMPARE(data.rows.size(), std::size_t(3));
    QCOMPARE(data.bars, 8);
}

void KeyMapTest::fastRowIsTheTimeline_data()
{
    QTest::addColumn<KeyCountChoice>("keys");
    QTest::addColumn<QList<int>>("segments"); // (first, last, code) triples
    // The library found five regions; the main keys are C and G major unless four are asked.
    QTest::newRow("main keys only") << KeyCountChoice::NotKnown << QList<int>{1, 8, 160, 9, 16, 167, 17, 20, 160};
    QTest::newRow("four keys") << KeyCountChoice::Four << QList<int>{1, 4, 160, 5, 8, 69, 9, 12, 167, 13, 16, 64, 17, 20, 160};
}

void KeyMapTest::fastRowIsTheTimeline()
{
    QFETCH(KeyCountChoice, keys);
    QFETCH(QList<int>, segments);
    KeyTimeline timeline;
    timeline.times.fill(-1);
    const int codes[] = {160, 69, 167, 64, 160};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        timeline.times[i] = std::int32_t(i * 4 * 1920);
        timeline.codes[i] = codes[i];
    }
    const KeyTimingReport timing =
        buildKeyTimingReport(timeline, {{160, 60}, {167, 30}, {69, 6}, {64, 4}}, true, 1920, keys);
    keyanalysis::KeyAnalysis analysis;
    for (std::int64_t bar = 1; bar <= 20; ++bar)
        analysis.bars.push_back({bar, 165});

    const KeyMapData map = fastKeyMap(timing, analysis, 18);
    QCOMPARE(map.bars, 20);
    QCOMPARE(map.rows.at(0).title, std::string(TonalyteTimelineRow));
    QCOMPARE(flatten(map.rows[0]), segments);
    QCOMPARE(map.rows.at(1).segments, (std::vector<KeyMapSegment>{{1, 20, 165}}));
}

void KeyMapTest::colours()
{
    QSet<QRgb> seen;
    for (int pc = 0; pc < 12; ++pc) {
        const int major = 160 + pc, relativeMinor = 60 + (pc + 9) % 12, sameTonicMinor = 60 + pc;
        const QColor colour = keyColour(major);
        seen << colour.rgb() << keyColour(sameTonicMinor).rgb();
        QCOMPARE(keyColour(relativeMinor).hslHue(), colour.hslHue());
        QVERIFY(keyColour(relativeMinor).lightness() < colour.lightness() - 40);
        QVERIFY(keyColour(sameTonicMinor) != colour);
        // A fifth up is the next hue round the circle.
        const int fifthUp = keyColour(160 + (pc + 7) % 12).hslHue();
        QCOMPARE((fifthUp - colour.hslHue() + 360) % 360, 30);
    }
    QCOMPARE(seen.size(), 24);
    QVERIFY(!keyColour(0).isValid());

    KeyMapData data{KeyMapUnit::Bar, 4, {rowFromBarKeys("a", std::vector<int>{165, 69, 167, 160})}};
    QCOMPARE(keysPresent(data), (std::vector<int>{160, 69, 167, 165}));
}

void KeyMapTest::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("png") << "map.png" << QSize(640, 150);
    QTest::newRow("svg") << "map.SVG" << QSize(900, 210);
}

void KeyMapTest::pictures()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QString error;
    QVERIFY2(saveKeyMap(example(), path, size, &error), qPrintable(error));

    if (name.endsWith(QLatin1String(".png"))) {
        QImage image;
        QVERIFY(image.load(path));
        QCOMPARE(image.size(), size);
        // The painter puts the keys where the layout says they are.
        const KeyMapLayout layout = layoutKeyMap(example(), size, QFontMetricsF(QGuiApplication::font(), &image));
        const QRectF row = layout.rows.at(1);
        for (auto [bar, code] : {std::pair{2, 160}, {11, 69}, {15, 165}}) {
            const QPoint at(int(layout.xOf(bar) + 2), int(row.top() + 3));
            QCOMPARE(image.pixel(at), keyColour(code).rgb());
        }
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("<svg"));
        QSvgRenderer svg(path);
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBoxF(), QRectF(QPointF(0, 0), size));
    }
}

void KeyMapTest::refusedPictures()
{
    QTemporaryDir dir;
    for (const auto &[path, size] : {std::pair{dir.filePath("map.bmp"), QSize(100, 100)},
                                     {dir.filePath("map.png"), QSize(0, 100)},
                                     {dir.filePath("no-such-folder/map.png"), QSize(100, 100)}}) {
        QString error;
        QVERIFY2(!saveKeyMap(example(), path, size, &error), qPrintable(path));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(path));
    }
}

void KeyMapTest::hover()
{
    KeyMapWidget widget;
    widget.resize(800, widget.heightForWidth(800));
    widget.setData(example());
    const auto layoutOf = [&](const KeyMapData &data) {
        return layoutKeyMap(data, widget.size(), QFontMetricsF(widget.font(), &widget));
    };
    const auto middleOf = [](const KeyMapLayout &layout, int position, const QRectF &row) {
        return QPoint(int((layout.xOf(position) + layout.xOf(position + 1)) / 2), int(row.center().y()));
    };
    const KeyMapLayout layout = layoutOf(example());
    QCOMPARE(widget.textAt(middleOf(layout, 9, layout.rows[1])),
             QStringLiteral("Bar 9: A Minor (Tonalyte), C Major (Profile analysis)"));
    QCOMPARE(widget.textAt(middleOf(layout, 16, layout.ruler)),
             QStringLiteral("Bar 16: F Major (Tonalyte), F Major (Profile analysis)"));
    QCOMPARE(widget.textAt(QPoint(2, int(layout.rows[0].center().y()))), QString()); // on a title
    QCOMPARE(widget.textAt(QPoint(int(layout.strip.center().x()), widget.height() - 1)), QString());

    KeyMapData live{KeyMapUnit::Second, 5, {}};
    live.rows.push_back(rowFromChangePoints("Tonalyte", points({0, 62, 3, 0}), 0, 4));
    widget.setData(live);
    const KeyMapLayout seconds = layoutOf(live);
    QCOMPARE(widget.textAt(middleOf(seconds, 2, seconds.rows[0])), QStringLiteral("2 s: D Minor (Tonalyte)"));
    QCOMPARE(widget.textAt(middleOf(seconds, 4, seconds.rows[0])), QStringLiteral("4 s: no key (Tonalyte)"));
}

QTEST_MAIN(KeyMapTest)
#include "keymaptest.moc"
