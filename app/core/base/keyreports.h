// What a run reports of the keys it found: the overall key and the key timeline. Plain
// values, built in reports/ from the library's answers and read by every view.
#ifndef TUNEDECK_CORE_BASE_KEYREPORTS_H
#define TUNEDECK_CORE_BASE_KEYREPORTS_H

#include <array>
#include <cstdint>
#include <vector>

namespace tunedeck {

// A key with its share of the run, rounded to a whole percent (0..100).
struct RankedKey {
    std::int32_t code = 0;
    int percent = 0;
    friend bool operator==(const RankedKey &, const RankedKey &) = default;
};

// What to try when no key was found.
enum class KeyAdvice { None, MoreSensitive, SelectAll, TooFewEvents };

struct OverallKeyReport {
    std::array<float, 24> percent{}; // each statistics slot's share
    // Keys with a share above 0.5 %, most probable first; ties on the rounded share go
    // to the larger key code.
    std::vector<RankedKey> ranked;
    bool nothingFound = false; // no key has any share: one beep
    KeyAdvice advice = KeyAdvice::None;

    bool hasKey() const { return !ranked.empty(); }
    const RankedKey &top() const { return ranked.front(); }
};

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

struct KeyReports {
    OverallKeyReport overall;
    KeyTimingReport timing;
};

} // namespace tunedeck

#endif
