// Overall key of a run: shares, ranking, candidate lines, probability, advice.
#include <QTest>

#include "reports/overallkeyreport.h"

using namespace tunedeck;

namespace {

// The library's slot layout: 160..171 in slots 0..11, 60..71 in slots 12..23.
KeyStatistics statistics(std::initializer_list<std::pair<int, int>> codeCounts, int total)
{
    KeyStatistics stats;
    for (int i = 0; i < 12; ++i) {
        stats.codes[std::size_t(i)] = 160 + i;
        stats.codes[std::size_t(12 + i)] = 60 + i;
    }
    for (const auto &[code, count] : codeCounts)
        stats.counts[std::size_t(code >= 100 ? code - 160 : code - 60 + 12)] = count;
    stats.total = total;
    return stats;
}

} // namespace

class OverallKeyReportTest : public QObject {
    Q_OBJECT

private slots:
    void oneKeyTakesAll();
    void ranking();
    void tieGoesToLargerCode_data();
    void tieGoesToLargerCode();
    void smallTopShare();
    void shareBelowHalfPercent();
    void nothingFound_data();
    void nothingFound();
    void codesThatNameNoKeyAreIgnored();
    void countAboveTotalStaysThreeDigits();
};

void OverallKeyReportTest::oneKeyTakesAll()
{
    const auto r = buildOverallKeyReport(statistics({{69, 40}}, 40), false, false);
    QCOMPARE(r.shortList, QStringList{"100:069"});
    QCOMPARE(r.keyStat, QStringList{"100:069"});
    QCOMPARE(r.candidates, QStringList{"100% = (00) A Minor"});
    QCOMPARE(r.percent[21], 100.0f);
    QCOMPARE(r.topCode, 69);
    QCOMPARE(r.kqKeyText, QStringLiteral("069"));
    QCOMPARE(r.probability, QStringLiteral("Probability = 100%"));
    QVERIFY(!r.nothingFound);
    QVERIFY(r.advice.isEmpty());
}

void OverallKeyReportTest::ranking()
{
    // 1 of 8 is 12.5 %, which rounds up to 013.
    const auto r = buildOverallKeyReport(statistics({{162, 5}, {160, 1}, {71, 2}}, 8), true, true);
    QCOMPARE(r.shortList, (QStringList{"013:160", "025:071", "063:162"}));
    QCOMPARE(r.keyStat, (QStringList{"063:162", "025:071", "013:160"}));
    QCOMPARE(r.candidates, (QStringList{"063% = (2#) D Major", "025% = (2#) B Minor",
                                        "013% = (00) C Major"}));
    QCOMPARE(r.percent[0], 12.5f);
    QCOMPARE(r.topPercent, 63);
    QCOMPARE(r.kqKeyText, QStringLiteral("162"));
    QCOMPARE(r.probability, QStringLiteral("Probability = 63%"));
}

void OverallKeyReportTest::tieGoesToLargerCode_data()
{
    QTest::addColumn<int>("countOf160");
    QTest::addColumn<int>("countOf69");
    QTest::newRow("major ahead") << 334 << 332;
    QTest::newRow("minor ahead unrounded") << 332 << 334;
}

void OverallKeyReportTest::tieGoesToLargerCode()
{
    QFETCH(int, countOf160);
    QFETCH(int, countOf69);
    const auto r = buildOverallKeyReport(
        statistics({{160, countOf160}, {69, countOf69}, {62, 1000 - countOf160 - countOf69}}, 1000),
        false, false);
    QCOMPARE(r.keyStat, (QStringList{"033:160", "033:069", "033:062"}));
    QCOMPARE(r.topCode, 160);
    QCOMPARE(r.kqKeyText, QStringLiteral("160"));
}

void OverallKeyReportTest::smallTopShare()
{
    const auto r = buildOverallKeyReport(statistics({{165, 5}}, 100), true, true);
    QCOMPARE(r.candidates, QStringList{"005% = (1b) F Major"});
    QCOMPARE(r.probability, QStringLiteral("Probability = 05%"));
}

void OverallKeyReportTest::shareBelowHalfPercent()
{
    const auto r = buildOverallKeyReport(statistics({{160, 996}, {62, 4}}, 1000), true, true);
    QCOMPARE(r.shortList, (QStringList{"000:062", "100:160"}));
    QCOMPARE(r.keyStat, QStringList{"100:160"});
    QCOMPARE(r.candidates.size(), 1);
    QVERIFY(r.percent[14] > 0.0f);
}

void OverallKeyReportTest::nothingFound_data()
{
    QTest::addColumn<bool>("moreSensitive");
    QTest::addColumn<bool>("allTracks");
    QTest::addColumn<QString>("advice");
    QTest::newRow("normal") << false << true << "Try more sensitive";
    QTest::newRow("sensitive, one track") << true << false << "Try select All";
    QTest::newRow("sensitive, all") << true << true << "Too few Events";
}

void OverallKeyReportTest::nothingFound()
{
    QFETCH(bool, moreSensitive);
    QFETCH(bool, allTracks);
    QFETCH(QString, advice);
    // Counts without a total cannot make a share.
    const auto r = buildOverallKeyReport(statistics({{160, 3}}, 0), moreSensitive, allTracks);
    QVERIFY(r.nothingFound);
    QCOMPARE(r.advice, advice);
    QVERIFY(r.shortList.isEmpty());
    QVERIFY(r.keyStat.isEmpty());
    QVERIFY(r.candidates.isEmpty());
    QVERIFY(r.kqKeyText.isEmpty());
    QVERIFY(r.probability.isEmpty());
    QCOMPARE(r.percent[0], 0.0f);
}

void OverallKeyReportTest::codesThatNameNoKeyAreIgnored()
{
    KeyStatistics stats = statistics({{160, 10}, {62, 10}}, 20);
    stats.codes[14] = 1062; // a four-digit code would break the fixed-width entry
    stats.codes[15] = 0;
    stats.counts[15] = 10;
    const auto r = buildOverallKeyReport(stats, true, true);
    QCOMPARE(r.shortList, QStringList{"050:160"});
    QCOMPARE(r.percent[14], 0.0f);
}

void OverallKeyReportTest::countAboveTotalStaysThreeDigits()
{
    // A wrapped total can leave a count larger than it; the entry must stay "ppp:ccc".
    const auto r = buildOverallKeyReport(statistics({{160, 5000}}, 20), true, true);
    QCOMPARE(r.keyStat, QStringList{"100:160"});
    QCOMPARE(r.probability, QStringLiteral("Probability = 100%"));
}

QTEST_APPLESS_MAIN(OverallKeyReportTest)
#include "overallkeyreporttest.moc"
