// Overall key of a run: shares, ranking, advice, and the texts shown of them.
#include "core/reports/overallkeyreport.h"
#include "core/reports/resulttext.h"

#include <gtest/gtest.h>

#include <utility>

using namespace tunedeck;

namespace {

using Counts = std::vector<std::pair<int, int>>;
using Texts = std::vector<std::string>;

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
Texts ranking(const OverallKeyReport &r)
{
    Texts out;
    for (const RankedKey &k : r.ranked)
        out.push_back(std::to_string(k.code) + ':' + std::to_string(k.percent));
    return out;
}

} // namespace

TEST(OverallKeyReport, Ranks)
{
    struct Case {
        const char *name;
        Counts counts;
        int total;
        bool more, all;
        Texts ranked;
        KeyAdvice advice;
    };
    const Case cases[] = {
        {"one key takes all", {{69, 40}}, 40, false, false, {"69:100"}, KeyAdvice::None},
        // 1 of 8 is 12.5 %, which rounds up to 13.
        {"ranking", {{162, 5}, {160, 1}, {71, 2}}, 8, true, true, {"162:63", "71:25", "160:13"}, KeyAdvice::None},
        {"tie on the rounded share goes to the larger code", {{160, 332}, {69, 334}, {62, 334}}, 1000, false, false,
         {"160:33", "69:33", "62:33"}, KeyAdvice::None},
        {"a share under half a percent is no candidate", {{160, 996}, {62, 4}}, 1000, true, true, {"160:100"},
         KeyAdvice::None},
        // A wrapped total can leave a count above it: the share stays at 100.
        {"count above total", {{160, 5000}}, 20, true, true, {"160:100"}, KeyAdvice::None},
        // Counts without a total cannot make a share.
        {"nothing, normal", {{160, 3}}, 0, false, true, {}, KeyAdvice::MoreSensitive},
        {"nothing, one track", {{160, 3}}, 0, true, false, {}, KeyAdvice::SelectAll},
        {"nothing, all", {{160, 3}}, 0, true, true, {}, KeyAdvice::TooFewEvents},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OverallKeyReport r = buildOverallKeyReport(statistics(c.counts, c.total), c.more, c.all);
        EXPECT_EQ(ranking(r), c.ranked);
        EXPECT_EQ(r.advice, c.advice);
        EXPECT_EQ(r.nothingFound, c.advice != KeyAdvice::None);
    }
}

TEST(OverallKeyReport, IgnoresCodesThatNameNoKey)
{
    KeyStatistics stats = statistics({{160, 10}, {62, 10}}, 20);
    stats.codes[14] = 1062;
    stats.codes[15] = 0;
    stats.counts[15] = 10;
    const OverallKeyReport r = buildOverallKeyReport(stats, true, true);
    EXPECT_EQ(ranking(r), Texts{"160:50"});
    EXPECT_EQ(r.percent[14], 0.0f);
}

TEST(OverallKeyReport, Texts)
{
    const OverallKeyReport r = buildOverallKeyReport(statistics({{162, 5}, {165, 1}, {71, 2}}, 8), true, true);
    EXPECT_EQ(text::candidates(r), (Texts{"063% = (2#) D Major", "025% = (2#) B Minor", "013% = (1b) F Major"}));
    EXPECT_EQ(text::probability(5), "Probability = 05%");
    EXPECT_EQ(text::keyCode(69), "069");
    EXPECT_EQ(text::keyCode(0), "*");
}
