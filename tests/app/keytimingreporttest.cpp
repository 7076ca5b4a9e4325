// Timeline of the main keys: time texts, key selection, merging and start fix-ups.
#include <QTest>

#include "reports/numbertext.h"
#include "reports/keytimingreport.h"
#include "reports/resulttext.h"

using namespace tunedeck;

namespace {

KeyTimeline timeline(std::initializer_list<std::pair<qint32, qint32>> timeCodes)
{
    KeyTimeline t;
    t.times.fill(-1);
    std::size_t i = 0;
    for (const auto &[time, code] : timeCodes) {
        t.times[i] = time;
        t.codes[i] = code;
        ++i;
    }
    return t;
}

// Rankings and timeline entries written as the fixed-width texts "ppp:ccc" and "tttt:ccc"
// (bars, or minutes and seconds), which keeps the tables short.
std::vector<RankedKey> ranked(const QStringList &stat)
{
    std::vector<RankedKey> out;
    for (const QString &e : stat)
        out.push_back({e.mid(4, 3).toInt(), e.left(3).toInt()});
    return out;
}

QStringList entryTexts(const std::vector<TimelinePoint> &points, bool barTiming)
{
    QStringList out;
    for (const TimelinePoint &p : points)
        out << (barTiming ? zeroPadded(p.at, 4) : zeroPadded(p.at / 60, 2) + zeroPadded(p.at % 60, 2))
                   + QLatin1Char(':') + zeroPadded(p.code, 3);
    return out;
}

struct Report {
    QStringList keyTime, keyFilter, points;
    QList<qint32> selected;
    QString error;
};

Report build(const KeyTimeline &t, const QStringList &stat, bool barTiming, qint32 ticksPerBar, KeyCountChoice keys)
{
    const KeyTimingReport r = buildKeyTimingReport(t, ranked(stat), barTiming, ticksPerBar, keys);
    return {entryTexts(r.entries, barTiming), entryTexts(r.points, barTiming), text::timelinePoints(r),
            QList<qint32>(r.selected.begin(), r.selected.end()), text::timelineOverflow(r.overflow)};
}

const QStringList workedStat{"060:160", "030:067", "010:069"};
const KeyTimeline worked =
    timeline({{0, 160}, {12500, 67}, {61000, 160}, {75000, 0}, {90000, 69}});

} // namespace

class KeyTimingReportTest : public QObject {
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void keySelection_data();
    void keySelection();
    void barOverflow();
    void minuteOverflow_data();
    void minuteOverflow();
    void singlePointBecomesOverallKey();
    void firstKeptEntryMovesToStart();
    void mergeAcrossDroppedEntries();
    void fullTimeline();
    void emptyTimeline();
    void largeAndMissingTicksPerBar();
};

void KeyTimingReportTest::workedExample_data()
{
    QTest::addColumn<KeyCountChoice>("keys");
    QTest::addColumn<QStringList>("filter");
    QTest::addColumn<QStringList>("points");
    QTest::newRow("2 keys") << KeyCountChoice::Two
                            << QStringList{"0000:160", "0012:067", "0101:160"}
                            << QStringList{"00:00 C Major", "00:12 G Minor", "01:01 C Major"};
    QTest::newRow("1 key") << KeyCountChoice::One << QStringList{"0000:160"}
                           << QStringList{"00:00 C Major"};
}

void KeyTimingReportTest::workedExample()
{
    QFETCH(KeyCountChoice, keys);
    QFETCH(QStringList, filter);
    QFETCH(QStringList, points);
    const auto r = build(worked, workedStat, false, 0, keys);
    QCOMPARE(r.keyTime,
             (QStringList{"0000:160", "0012:067", "0101:160", "0115:000", "0130:069"}));
    QCOMPARE(r.keyFilter, filter);
    QCOMPARE(r.points, points);
    QVERIFY(r.error.isEmpty());
}

void KeyTimingReportTest::keySelection_data()
{
    QTest::addColumn<QStringList>("keyStat");
    QTest::addColumn<KeyCountChoice>("keys");
    QTest::addColumn<QList<qint32>>("selected");
    QTest::newRow("not known: 40+25+20 reaches 70")
        << QStringList{"040:160", "025:067", "020:162", "015:069"} << KeyCountChoice::NotKnown
        << QList<qint32>{160, 67, 162};
    QTest::newRow("not known: first key alone")
        << QStringList{"075:160", "025:067"} << KeyCountChoice::NotKnown << QList<qint32>{160};
    QStringList twelve;
    for (int i = 0; i < 12; ++i)
        twelve << QStringLiteral("005:%1").arg(160 + i);
    QTest::newRow("not known: at most 10")
        << twelve << KeyCountChoice::NotKnown
        << QList<qint32>{160, 161, 162, 163, 164, 165, 166, 167, 168, 169};
    QTest::newRow("4 keys, two ranked")
        << QStringList{"070:160", "030:067"} << KeyCountChoice::Four << QList<qint32>{160, 67};
    QTest::newRow("3 keys ignore the 70 mark")
        << QStringList{"080:160", "015:067", "005:062"} << KeyCountChoice::Three
        << QList<qint32>{160, 67, 62};
    QTest::newRow("nothing ranked") << QStringList{} << KeyCountChoice::Two << QList<qint32>{};
}

void KeyTimingReportTest::keySelection()
{
    QFETCH(QStringList, keyStat);
    QFETCH(KeyCountChoice, keys);
    QFETCH(QList<qint32>, selected);
    QCOMPARE(build(worked, keyStat, false, 0, keys).selected, selected);
}

void KeyTimingReportTest::barOverflow()
{
    KeyTimeline t = timeline({{0, 160}, {1536 * 9998, 67}, {1536 * 9999, 160}, {1536 * 978670, 67}});
    t.full = 1; // the later message replaces "Timing overflow 1"
    const auto r = build(t, {"050:160", "050:067"}, true, 1536, KeyCountChoice::Two);
    QCOMPARE(r.keyTime, (QStringList{"0001:160", "9999:067"}));
    QCOMPARE(r.error, QStringLiteral("Timing overflow 3"));
    QCOMPARE(r.points, (QStringList{"0001: C Major", "9999: G Minor"}));
    const auto all = buildKeyTimingReport(t, ranked({"050:160", "050:067"}), true, 1536, KeyCountChoice::Two, BarLimit::Every);
    QCOMPARE(text::timelinePoints(all), (QStringList{"0001: C Major", "9999: G Minor", "10000: C Major", "978671: G Minor"}));
}

void KeyTimingReportTest::minuteOverflow_data()
{
    QTest::addColumn<qint32>("lastTime");
    QTest::addColumn<QStringList>("keyTime");
    QTest::addColumn<QString>("error");
    QTest::newRow("99:59") << 5999999 << QStringList{"0000:160", "9959:067"} << QString();
    QTest::newRow("100 minutes") << 6000000 << QStringList{"0000:160"}
                                 << QStringLiteral("Timing overflow 2");
}

void KeyTimingReportTest::minuteOverflow()
{
    QFETCH(qint32, lastTime);
    QFETCH(QStringList, keyTime);
    QFETCH(QString, error);
    const auto r = build(timeline({{0, 160}, {lastTime, 67}}),
                                        {"050:160", "050:067"}, false, 0, KeyCountChoice::Two);
    QCOMPARE(r.keyTime, keyTime);
    QCOMPARE(r.error, error);
}

void KeyTimingReportTest::singlePointBecomesOverallKey()
{
    const auto r = build(timeline({{0, 0}, {5000, 67}, {9000, 0}}),
                                        {"060:160", "030:067"}, true, 1536, KeyCountChoice::Two);
    QCOMPARE(r.keyFilter, QStringList{"0001:160"});
    QCOMPARE(r.points, QStringList{"0001: C Major"});
}

void KeyTimingReportTest::firstKeptEntryMovesToStart()
{
    const auto r = build(timeline({{0, 0}, {5000, 160}, {20000, 67}}),
                                        {"060:160", "030:067"}, true, 1536, KeyCountChoice::Two);
    QCOMPARE(r.keyTime, (QStringList{"0001:000", "0004:160", "0014:067"}));
    QCOMPARE(r.keyFilter, (QStringList{"0001:160", "0014:067"}));
    QCOMPARE(r.points, (QStringList{"0001: C Major", "0014: G Minor"}));
}

void KeyTimingReportTest::mergeAcrossDroppedEntries()
{
    const auto t = timeline({{0, 160}, {2000, 62}, {4000, 0}, {6000, 160}, {8000, 67},
                             {10000, 69}, {12000, 67}, {14000, 160}});
    const auto r = build(t, {"050:160", "030:067", "020:062"}, false, 0,
                                        KeyCountChoice::Two);
    QCOMPARE(r.keyFilter, (QStringList{"0000:160", "0008:067", "0014:160"}));
}

void KeyTimingReportTest::fullTimeline()
{
    KeyTimeline t;
    for (std::size_t i = 0; i < t.times.size(); ++i) {
        t.times[i] = qint32(i) * 1536;
        t.codes[i] = i % 2 ? 67 : 160;
    }
    t.full = 1;
    const auto r = build(t, {"050:160", "050:067"}, true, 1536, KeyCountChoice::Two);
    QCOMPARE(r.keyTime.size(), 256);
    QCOMPARE(r.keyTime.last(), QStringLiteral("0256:067"));
    QCOMPARE(r.error, QStringLiteral("Timing overflow 1"));
    QCOMPARE(r.points.size(), 256);
}

void KeyTimingReportTest::emptyTimeline()
{
    const KeyTimeline t = timeline({});
    auto r = build(t, {"070:069"}, false, 0, KeyCountChoice::Two);
    QVERIFY(r.keyTime.isEmpty());
    QCOMPARE(r.points, QStringList{"00:00 A Minor"});

    r = build(t, {}, true, 1536, KeyCountChoice::Two);
    QVERIFY(r.keyFilter.isEmpty());
    QVERIFY(r.points.isEmpty());
}

void KeyTimingReportTest::largeAndMissingTicksPerBar()
{
    // 9600 ticks per quarter in 4/4 does not fit 16 bits.
    const auto t = timeline({{0, 160}, {38400 * 5, 67}, {INT_MAX, 160}});
    auto r = build(t, {"050:160", "050:067"}, true, 38400, KeyCountChoice::Two);
    QCOMPARE(r.keyTime, (QStringList{"0001:160", "0006:067"}));
    QCOMPARE(r.error, QStringLiteral("Timing overflow 3"));

    r = build(timeline({{0, 160}, {42, 67}}), {"050:160", "050:067"}, true, 0,
                             KeyCountChoice::Two);
    QCOMPARE(r.keyTime, (QStringList{"0001:160", "0043:067"}));
}

QTEST_APPLESS_MAIN(KeyTimingReportTest)
#include "keytimingreporttest.moc"
