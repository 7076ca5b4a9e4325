// The key map: rows from the analyses' results, live growth, colours, pictures and hover.
#include <QApplication>
#include <QFontMetricsF>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

#include "qt/keymap/keycolours.h"
#include "qt/keymap/keymapexport.h"
#include "qt/keymap/keymaplayout.h"
#include "core/keymap/keymaprows.h"
#include "qt/keymap/keymaptext.h"
#include "qt/keymap/keymapwidget.h"

#include <cmath>

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
        flat << int(s.firstBar) << int(s.lastBar) << (s.unsure ? -s.keyCode : s.keyCode);
    return flat;
}

// A modulating piece: C major, A minor from bar 9, F major from bar 13; the profile analysis
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

// A rough perceived difference (the "redmean" weighting of RGB, 0..765), and WCAG's contrast.
double difference(const QColor &a, const QColor &b)
{
    const double r = (a.red() + b.red()) / 2.0, dr = a.red() - b.red(), dg = a.green() - b.green(), db = a.blue() - b.blue();
    return std::sqrt((2 + r / 256) * dr * dr + 4 * dg * dg + (2 + (255 - r) / 256) * db * db);
}

double contrast(const QColor &a, const QColor &b)
{
    const auto lin = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const auto lum = [&](const QColor &c) { return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF()) + 0.05; };
    return std::max(lum(a), lum(b)) / std::min(lum(a), lum(b));
}

} // namespace

class KeyMapTest : public QObject {
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void liveGrowth_data();
    void liveGrowth();
    void fastRowIsTheTimeline();
    void colours();
    void labels();
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
    // A negative code records the key unsure, as the live line shows it with a "?".
    QTest::newRow("doubt is a stretch of its own")
        << QList<int>{0, 160, 1, -160, 2, -160, 3, 160} << QList<int>{0, 0, 160, 1, 2, -160, 3, 3, 160} << 4;
}

void KeyMapTest::liveGrowth()
{
    QFETCH(QList<int>, records);
    QFETCH(QList<int>, segments);
    QFETCH(int, bars);

    KeyMapData data{KeyMapUnit::Second, 0, {}};
    for (const KeyChangePoint &r : points(records))
        recordKey(data, 0, r.position, std::abs(r.keyCode), r.keyCode < 0);
    QCOMPARE(data.rows.empty() ? QList<int>{} : flatten(data.rows[0]), segments);
    QCOMPARE(data.bars, bars);

    recordKey(data, 2, 7, 62);
    QCOMPARE(data.rows.size(), std::size_t(3));
    QCOMPARE(data.bars, 8);
}

void KeyMapTest::fastRowIsTheTimeline()
{
    // The library found five regions; the timeline list keeps the changes among the main keys.
    KeyTimingReport timing;
    timing.entries = {{1, 160}, {5, 69}, {9, 167}, {13, 64}, {17, 160}};
    timing.points = {{1, 160}, {9, 167}, {17, 160}};
    profile::ProfileAnalysis analysis;
    analysis.barChanges = {{1, 165}};
    analysis.lastBar = 2;
    const KeyMapData map = fastKeyMap(timing, analysis, 20);
    QCOMPARE(map.rows.at(0).title, std::string(TonalyteTimelineRow));
    QCOMPARE(flatten(map.rows[0]), (QList<int>{1, 8, 160, 9, 16, 167, 17, 20, 160}));
    QCOMPARE(flatten(map.rows.at(1)), (QList<int>{1, 2, 165}));
}

void KeyMapTest::colours()
{
    const auto code = [](int i) { return i < 12 ? 160 + i : 48 + i; };
    for (int a = 0; a < 24; ++a) {
        const KeyFill fill = keyFill(code(a));
        for (int b = a + 1; b < 24; ++b)
            QVERIFY2(difference(fill.ground, keyFill(code(b)).ground) >= 50, qPrintable(QString::number(code(b))));
        // Minors, and only they, are crossed by lines that stand out from their ground.
        QCOMPARE(fill.hatch.isValid() && difference(fill.hatch, fill.ground) >= 200, a >= 12);
        QVERIFY(contrast(textColourOn(fill.ground), fill.ground) >= 4.5);
    }
    for (int pc = 0; pc < 12; ++pc) {
        const QColor major = keyFill(160 + pc).ground, fifthUp = keyFill(160 + (pc + 7) % 12).ground;
        // A minor has its relative major's hue; a fifth up is the next hue round the circle,
        // and lighter or darker enough to tell without hue.
        QVERIFY(std::abs(keyFill(60 + (pc + 9) % 12).ground.hslHue() - major.hslHue()) <= 8);
        const int step = (fifthUp.hslHue() - major.hslHue() + 360) % 360;
        QVERIFY(step >= 10 && step <= 60 && contrast(major, fifthUp) >= 1.3);
    }
    QVERIFY(!keyFill(0).ground.isValid());

    KeyMapData data{KeyMapUnit::Bar, 4, {rowFromBarKeys("a", std::vector<int>{165, 69, 167, 160})}};
    QCOMPARE(keysPresent(data), (std::vector<int>{160, 69, 167, 165}));
}

void KeyMapTest::labels()
{
    // Every key once, one to four bars long, at many widths: some stretches too narrow for their name.
    std::vector<int> perBar;
    for (int i = 0; i < 24; ++i)
        perBar.insert(perBar.end(), std::size_t(1 + i % 4), i % 2 ? 60 + i / 2 : 160 + i / 2);
    const KeyMapData data{KeyMapUnit::Bar, std::int64_t(perBar.size()), {rowFromBarKeys("keys", perBar)}};
    const QFontMetricsF fm(QGuiApplication::font());
    for (int width = 400; width <= 1000; width += 25) {
        const KeyMapLayout layout = layoutKeyMap(data, QSizeF(width, 200), fm);
        double lastRight = -1;
        for (const KeyMapLayout::Stretch &s : layout.stretches.at(0)) {
            const double needed = fm.horizontalAdvance(QString::fromStdString(shortKeyName(s.keyCode)));
            if (s.box.width() >= needed + 6)
                QCOMPARE(s.label, QString::fromStdString(shortKeyName(s.keyCode)));
            QVERIFY(s.label.isEmpty() || (s.box.contains(s.labelBox) && s.labelBox.width() >= needed && s.labelBox.left() >= lastRight));
            lastRight = s.label.isEmpty() ? lastRight : s.labelBox.right();
        }
    }
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
    const Result<> saved = saveKeyMap(example(), path, size);
    QVERIFY2(saved, saved ? "" : saved.error().reason.c_str());

    if (name.endsWith(QLatin1String(".png"))) {
        QImage image;
        QVERIFY(image.load(path));
        QCOMPARE(image.size(), size);
        // The painter puts the keys where the layout says they are.
        const KeyMapLayout layout = layoutKeyMap(example(), size, QFontMetricsF(QGuiApplication::font(), &image));
        const QRectF row = layout.rows.at(1);
        for (auto [bar, code] : {std::pair{2, 160}, {11, 69}, {15, 165}}) {
            // Across the stretch: a major plain, a minor its ground and lines.
            QSet<QRgb> seen, fill{keyFill(code).ground.rgb(), keyFill(code).hatch.rgb()};
            for (int x = int(layout.xOf(bar)) + 2; x < int(layout.xOf(bar + 1)); ++x)
                seen << image.pixel(x, int(row.top() + 3));
            QCOMPARE(seen, isMajorKey(code) ? QSet<QRgb>{keyFill(code).ground.rgb()} : fill);
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
        const Result<> saved = saveKeyMap(example(), path, size);
        QVERIFY2(!saved, qPrintable(path));
        QVERIFY(!saved.error().reason.empty());
        QVERIFY(!QFile::exists(path));
    }
}

void KeyMapTest::hover()
{
    KeyMapWidget widget;
    widget.resize(800, widget.sizeHint().height());
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

    // Every key at the height a window keeps: the legend counts those it has no room for,
    // within the map, and its tooltip names them all.
    for (int i = 0; i < 24; ++i)
        recordKey(live, 0, i, i < 12 ? 160 + i : 48 + i);
    widget.resize(400, widget.sizeHint().height());
    widget.setData(live);
    const KeyMapLayout full = layoutOf(live);
    const KeyMapLayout::LegendItem &more = full.legend.back();
    QCOMPARE(int(full.legend.size()) - 1 + more.more, 24);
    QVERIFY(more.more > 0 && QRectF(widget.rect()).contains(more.text));
    QCOMPARE(widget.textAt(more.text.center().toPoint()).count(QStringLiteral(", ")), 23);
}

QTEST_MAIN(KeyMapTest)
#include "keymaptest.moc"
