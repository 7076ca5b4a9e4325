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

    // Every entry of the library's timeline, not only the main keys the report keeps.
    std::vector<KeyChangePoint> points;
    for (const TimelinePoint &e : timing.entries)
        points.push_back({e.at, e.code});
    map.rows.push_back(rowFromChangePoints(TonalyteRow, points, 1, map.bars));

    std::vector<int> keys;
    for (const keyanalysis::BarKey &b : analysis.bars)
        keys.push_back(b.keyCode);
    map.rows.push_back(rowFromBarKeys(ProfileRow, keys, 1));
    return map;
}

} // namespace tunedeck
