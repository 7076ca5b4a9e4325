// Both reports of a play or listening, read from the library once its notes are fed (a fast
// run reads them in analysis/fileanalysis).
#ifndef TUNEDECK_CORE_REPORTS_RUNREPORTS_H
#define TUNEDECK_CORE_REPORTS_RUNREPORTS_H

#include "core/base/choices.h"
#include "core/base/keyreports.h"
#include "core/reports/keytimingreport.h"

#include <cstdint>

namespace tunedeck {

class TonalyteEngine;

// The overall key as the library's statistics stand now, also while notes are still fed.
OverallKeyReport readOverallReport(TonalyteEngine &library, bool moreSensitive, bool allTracks);

// Reads the library's statistics and timeline into both reports.
KeyReports buildReports(TonalyteEngine &library, bool moreSensitive, bool allTracks, bool barTiming,
                        std::int32_t ticksPerBar, KeyCountChoice keys, BarLimit limit = BarLimit::Window);

} // namespace tunedeck

#endif
