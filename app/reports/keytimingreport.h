// The timeline of the main keys: points where the music enters one of them.
#ifndef TUNEDECK_KEYTIMINGREPORT_H
#define TUNEDECK_KEYTIMINGREPORT_H

#include "reports/overallkeyreport.h"

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

// The option group "I don't known", "1 key" ... "4 keys".
enum class KeyCountChoice { NotKnown, One, Two, Three, Four };

// How the report stopped short, if it did: the timeline was full, a time passed 100
// minutes, or a bar passed 9999.
enum class TimelineOverflow { None, Full, Minutes, Bars };

// Where the music enters a key: a bar number (from 1) or whole seconds from the start.
struct TimelinePoint {
    std::int64_t at = 0;
    std::int32_t code = 0;
    std::int32_t time = 0; // the library's own time of the point: ticks, or milliseconds
    friend bool operator==(const TimelinePoint &, const TimelinePoint &) = default;
};

struct KeyTimingReport {
    bool barTiming = true;
    TimelineOverflow overflow = TimelineOverflow::None;
    std::vector<TimelinePoint> entries;  // every timeline entry read, keys that name none as 0
    std::vector<std::int32_t> selected; // the main keys
    std::vector<TimelinePoint> points;   // the changes among the main keys, the first at the start
};

// barTiming: times are ticks shown as bars of ticksPerBar; otherwise milliseconds shown
// as minutes and seconds. ranked is the overall key report's ranking.
KeyTimingReport buildKeyTimingReport(const KeyTimeline &timeline, const std::vector<RankedKey> &ranked,
                                     bool barTiming, std::int32_t ticksPerBar, KeyCountChoice keys);

} // namespace tunedeck

#endif
