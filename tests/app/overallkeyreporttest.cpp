// Overall key of a run: shares, ranking, advice, and the texts shown of them.
#include <QTest>

#include "reports/overallkeyreport.h"
#include "reports/resulttext.h"

using namespace tunedeck;

namespace {

using Counts = QList<QPair<int, int>>;

// The library's slot layout: 160..171 in slots 0..11, 60..71 in slots 12..23.
KeyStatistics statistics(const Counts &codeCounts, int total)
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

// "code:percent", most probable first.
QStringList ranking(const OverallKeyReport &r)
{
    QStringList out;
    for (const RankedKey &k : r.ranked)
        out << QStringLiteral("%1:%2").arg(k.code).arg(k.percent);
    return out;
}

} // namespace

class OverallKeyReportTest : public QObject {
    Q_OBJECT

private slots:
    void ranks_data()
    {
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<int>("total");
        QTest::addColumn<bool>("more");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("ranked");
        QTest::addColumn<int>("advice");

        QTest::newRow("one key takes all") << Counts{{69, 40}} << 40 << false << false << QStringList{"69:100"} << 0;
        // 1 of 8 is 12.5 %, which rounds up to 13.
        QTest::newRow("ranking") << Counts{{162, 5}, {160, 1}, {71, 2}} << 8 << true << true
                                 << QStringList{"162:63", "71:25", "160:13"} << 0;
        QTest::newRow("tie on the rounded share goes to the larger code")
            << Counts{{160, 332}, {69, 334}, {62, 334}} << 1000 << false << false
            << QStringList{"160:33", "69:33", "62:33"} << 0;
        QTest::newRow("a share under half a percent is no candidate")
            << Counts{{160, 996}, {62, 4}} << 1000 << true << true << QStringList{"160:100"} << 0;
        // A wrapped total can leave a count above it: the share stays at 100.
        QTest::newRow("count above total") << Counts{{160, 5000}} << 20 << true << true << QStringList{"160:100"} << 0;
        // Counts without a total cannot make a share.
        QTest::newRow("nothing, normal") << Counts{{160, 3}} << 0 << false << true << QStringList{}
                                         << int(KeyAdvice::MoreSensitive);
        QTest::newRow("nothing, one track") << Counts{{160, 3}} << 0 << true << false << QStringList{}
                                            << int(KeyAdvice::SelectAll);
        QTest::newRow("nothing, all") << Counts{{160, 3}} << 0 << true << true << QStringList{}
                                      << int(KeyAdvice::TooFewEvents);
    }

    void ranks()
    {
        QFETCH(Counts, counts);
        QFETCH(int, total);
        QFETCH(bool, more);
        QFETCH(bool, all);
        QFETCH(QStringList, ranked);
        QFETCH(int, advice);
        const OverallKeyReport r = buildOverallKeyReport(statistics(counts, total), more, all);
        QCOMPARE(ranking(r), ranked);
        QCOMPARE(int(r.advice), advice);
        QCOMPARE(r.nothingFound, advice != 0);
    }

    void codesThatNameNoKeyAreIgnored()
    {
        KeyStatistics stats = statistics({{160, 10}, {62, 10}}, 20);
        stats.codes[14] = 1062;
        stats.codes[15] = 0;
        stats.counts[15] = 10;
        const OverallKeyReport r = buildOverallKeyReport(stats, true, true);
        QCOMPARE(ranking(r), QStringList{"160:50"});
        QCOMPARE(r.percent[14], 0.0f);
    }

    void texts()
    {
        const OverallKeyReport r = buildOverallKeyReport(statistics({{162, 5}, {165, 1}, {71, 2}}, 8), true, true);
        QCOMPARE(text::candidates(r),
                 (QStringList{"063% = (2#) D Major", "025% = (2#) B Minor", "013% = (1b) F Major"}));
        QCOMPARE(text::probability(5), QStringLiteral("Probability = 05%"));
        QCOMPARE(text::keyCode(69), QStringLiteral("069"));
    }
};

QTEST_APPLESS_MAIN(OverallKeyReportTest)
#include "overallkeyreporttest.moc"
