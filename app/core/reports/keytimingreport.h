// The timeline of the main keys, from the library's: points where the music enters one of
// them.
#ifndef TUNEDECK_CORE_REPORTS_KEYTIMINGREPORT_H
#define TUNEDECK_CORE_REPORTS_KEYTIMINGREPORT_H

#include "core/base/choices.h"
#include "core/base/keyreports.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tunedeck {

// What the library's key timeline hands back; entries after the first negative time are
// not read.
struct KeyTimeline {
    std::array<std::int32_t, 256> codes{};
    std::array<std::int32_t, 256> times{};
    std::int32_t full = 0;
};

// How far the timeline's bar numbers go: the window stops before bar 10000 with "Timing
// overflow 3"; Every lists them all, with more digits past 9999 (tunedeck-detect --all-bars).
enum class BarLimit { Window, Every };

// barTiming: times are ticks shown as bars of ticksPerBar; otherwise milliseconds shown
// as minutes and seconds. ranked is the overall key report's ranking.
KeyTimingReport buildKeyTimingReport(const KeyTimeline &timeline, const std::vector<RankedKey> &ranked,
                                     bool barTiming, std::int32_t ticksPerBar, KeyCountChoice keys,
                                     BarLimit limit = BarLimit::Window);

} // namespace tunedeck

#endif
