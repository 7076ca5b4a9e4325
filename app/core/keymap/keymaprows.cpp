#include "core/keymap/keymaprows.h"

#include <algorithm>

namespace tunedeck {

KeyMapData fastKeyMap(const KeyTimingReport &timing, const profile::ProfileAnalysis &analysis, std::int64_t lastBar,
                      const SpelledNames *names, std::int64_t meterTicksPerBar)
{
    KeyMapData map;
    map.unit = KeyMapUnit::Bar;
    // The analysis' bar holding the start of the meter's bar b (from 1).
    const bool turn = meterTicksPerBar > 0 && analysis.ticksPerBar > 0;
    const auto bar = [&](std::int64_t b) { return turn ? profile::barOfTick(analysis, (b - 1) * meterTicksPerBar) : b; };
    std::int64_t bars = turn && lastBar > 0 ? profile::barOfTick(analysis, lastBar * meterTicksPerBar - 1) : lastBar;
    bars = std::max(bars, analysis.lastBar);
    map.bars = std::max<std::int64_t>(bars, 1);

    // The points the timeline list shows, so the map and the list tell one story.
    std::vector<KeyChangePoint> points;
    for (const TimelinePoint &p : timing.points)
        points.push_back({bar(p.at), p.code});
    map.rows.push_back(rowFromChangePoints(TonalyteTimelineRow, points, 1, map.bars));

    // From the changes, which reach every bar where the list of bars stops at MaxBars.
    std::vector<KeyChangePoint> changes;
    for (const profile::BarKey &b : analysis.barChanges)
        changes.push_back({b.bar, b.keyCode,
                           names ? names->keyFifthsAt(b.keyCode, profile::barStartTick(analysis, b.bar)) : std::nullopt});
    map.rows.push_back(rowFromChangePoints(ProfileRow, changes, 1, analysis.lastBar));
    return map;
}

} // namespace tunedeck
