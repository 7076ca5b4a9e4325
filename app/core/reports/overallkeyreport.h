// The overall key of a run, from the library's statistics: shares per key and the keys
// ranked by them.
#ifndef TUNEDECK_CORE_REPORTS_OVERALLKEYREPORT_H
#define TUNEDECK_CORE_REPORTS_OVERALLKEYREPORT_H

#include "core/base/keyreports.h"

#include <array>
#include <cstdint>

namespace tunedeck {

// What the library's key statistics hand back.
struct KeyStatistics {
    std::array<std::int32_t, 24> codes{};
    std::array<std::int32_t, 24> counts{};
    std::int32_t total = 0;
};

OverallKeyReport buildOverallKeyReport(const KeyStatistics &stats, bool moreSensitive, bool allTracks);

} // namespace tunedeck

#endif
