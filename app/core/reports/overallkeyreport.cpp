#include "core/reports/overallkeyreport.h"

#include "core/base/keycodes.h"
#include "core/reports/numbertext.h"

#include <algorithm>

namespace tunedeck {

OverallKeyReport buildOverallKeyReport(const KeyStatistics &stats, bool moreSensitive, bool allTracks)
{
    OverallKeyReport report;
    std::vector<RankedKey> shares;
    for (std::size_t i = 0; i < stats.codes.size(); ++i) {
        // Codes that name no key are treated like no key: they would yield a nameless
        // candidate.
        if (!isKeyCode(stats.codes[i]))
            continue;
        if (stats.total > 0)
            report.percent[i] = float(double(stats.counts[i]) * 100.0 / double(stats.total));
        if (report.percent[i] > 0.0f) {
            // A count above the total would give more than 100 %.
            const int rounded = int(std::clamp<std::int64_t>(roundHalfAway(double(report.percent[i])), 0, 100));
            shares.push_back({stats.codes[i], rounded});
        }
    }

    if (shares.empty()) {
        report.nothingFound = true;
        report.advice = !moreSensitive ? KeyAdvice::MoreSensitive
                        : !allTracks   ? KeyAdvice::SelectAll
                                       : KeyAdvice::TooFewEvents;
    }

    // By rounded share, then by the larger key code.
    std::sort(shares.begin(), shares.end(), [](const RankedKey &a, const RankedKey &b) {
        return a.percent != b.percent ? a.percent > b.percent : a.code > b.code;
    });
    for (const RankedKey &k : shares)
        if (k.percent > 0)
            report.ranked.push_back(k);
    return report;
}

} // namespace tunedeck
