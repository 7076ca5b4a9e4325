#include "core/reports/runreports.h"

#include "core/tonalyte/tonalyteengine.h"
#include "core/reports/keytimingreport.h"
#include "core/reports/overallkeyreport.h"

namespace tunedeck {

OverallKeyReport readOverallReport(TonalyteEngine &library, bool moreSensitive, bool allTracks)
{
    KeyStatistics stats;
    stats.total = library.KeyGetKStatic(stats.codes.data(), stats.counts.data());
    return buildOverallKeyReport(stats, moreSensitive, allTracks);
}

KeyReports buildReports(TonalyteEngine &library, bool moreSensitive, bool allTracks, bool barTiming,
                        std::int32_t ticksPerBar, KeyCountChoice keys, BarLimit limit)
{
    KeyReports r;
    r.overall = readOverallReport(library, moreSensitive, allTracks);
    KeyTimeline timeline;
    timeline.full = library.KeyGetKTiming(timeline.codes.data(), timeline.times.data());
    r.timing = buildKeyTimingReport(timeline, r.overall.ranked, barTiming, ticksPerBar, keys, limit);
    return r;
}

} // namespace tunedeck
