#include "reports/runreports.h"

#include "engine/tonalyteengine.h"
#include "reports/keytimingreport.h"
#include "reports/overallkeyreport.h"

namespace tunedeck {

KeyReports buildReports(TonalyteEngine &library, bool moreSensitive, bool allTracks, bool barTiming,
                        std::int32_t ticksPerBar, KeyCountChoice keys, BarLimit limit)
{
    KeyReports r;
    KeyStatistics stats;
    stats.total = library.KeyGetKStatic(stats.codes.data(), stats.counts.data());
    r.overall = buildOverallKeyReport(stats, moreSensitive, allTracks);
    KeyTimeline timeline;
    timeline.full = library.KeyGetKTiming(timeline.codes.data(), timeline.times.data());
    r.timing = buildKeyTimingReport(timeline, r.overall.ranked, barTiming, ticksPerBar, keys, limit);
    return r;
}

void reportFastDetection(TonalyteEngine &library, FastDetection &run, bool moreSensitive, bool allTracks,
                         KeyCountChoice keys, BarLimit limit)
{
    // A cancelled run is reported on the events fed so far.
    if (run.outcome != FastOutcome::Reported && run.outcome != FastOutcome::Cancelled)
        return;
    run.reports = buildReports(library, moreSensitive, allTracks, true, run.ticksPerBar, keys, limit);
    if (run.reports.overall.hasKey())
        run.keyCode = run.reports.overall.top().code;
}

FastDetection detectKey(TonalyteEngine &library, const OpenFile &file, const FastOptions &options,
                        BarLimit limit)
{
    FastDetection run = runFastDetection(library, file, options);
    reportFastDetection(library, run, options.moreSensitive, options.tracks.all, options.keys, limit);
    return run;
}

} // namespace tunedeck
