// The overall key of a run: shares per key and the keys ranked by them.
#ifndef TUNEDECK_OVERALLKEYREPORT_H
#define TUNEDECK_OVERALLKEYREPORT_H

#include <array>
#include <cstdint>
#include <vector>

namespace tunedeck {

// What the library's key statistics hand back.
struct KeyStatistics {
    std::array<std::int32_t, 24> codes{};
    std::array<std::int32_t, 24> counts{};
    std::int32_t total = 0;
};

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

OverallKeyReport buildOverallKeyReport(const KeyStatistics &stats, bool moreSensitive, bool allTracks);

} // namespace tunedeck

#endif
