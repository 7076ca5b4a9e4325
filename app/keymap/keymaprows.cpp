#include "keymap/keymaprows.h"

#include <algorithm>

namespace tunedeck {

KeyMapData fastKeyMap(const KeyTimingReport &timing, const keyanalysis::KeyAnalysis &analysis, std::int64_t lastBar)
{
    KeyMapData map;
    map.unit = KeyMapUnit::Bar;
    std::int64_t bars = lastBar;
    if (!analysis.bars.empty())
        bars = std::max(bars, analysis.bars.back().bar);
    map.bars = std::max<std::int64_t>(bars, 1);

    // The points the timeline list shows, so the map and the list tell one story.
    std::vector<KeyChangePoint> points;
    for (const TimelinePoint &p : timing.points)
        points.push_back({p.at, p.code});
    map.rows.push_back(rowFromChangePoints(TonalyteTimelineRow, points, 1, map.bars));

    std::vector<int> keys;
    for (const keyanalysis::BarKey &b : analysis.bars)
        keys.push_back(b.keyCode);
    map.rows.push_back(rowFromBarKeys(ProfileRow, keys, 1));
    return map;
}

} // namespace tunedeck
