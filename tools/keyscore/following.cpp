#include "keyscore/following.h"

#include "core/base/keycodes.h"

#include <algorithm>

namespace tunedeck::keyscore {

namespace {

// The play's second at a tick, between the readings' ticks; past the last, counted on at
// the last second's length.
double secondAt(const std::vector<std::int64_t> &secondTicks, std::int64_t tick)
{
    if (secondTicks.size() < 2)
        return 0;
    const auto it = std::upper_bound(secondTicks.begin(), secondTicks.end(), tick);
    const std::size_t s = std::clamp<std::size_t>(std::size_t(it - secondTicks.begin()), 1, secondTicks.size() - 1) - 1;
    const double length = double(std::max<std::int64_t>(1, secondTicks[s + 1] - secondTicks[s]));
    return double(s) + double(tick - secondTicks[s]) / length;
}

} // namespace

Following &Following::operator+=(const Following &o)
{
    scored += o.scored;
    followed += o.followed;
    followedUncapped += o.followedUncapped;
    shown += o.shown;
    annotated += o.annotated;
    minutes += o.minutes;
    return *this;
}

Following following(const std::vector<Region> &regions, const std::vector<int> &shown,
                    const std::vector<std::int64_t> &secondTicks, double minutes)
{
    Following f;
    f.minutes = minutes;
    int last = NoKey;
    for (int key : shown)
        if (isKeyCode(key)) {
            f.shown += isKeyCode(last) && key != last;
            last = key;
        }
    // Runs of one key; the last ends with the play.
    std::vector<Region> runs;
    for (const Region &r : regions)
        if (!runs.empty() && runs.back().keyCode == r.keyCode)
            runs.back().span.end = r.span.end;
        else
            runs.push_back(r);
    const std::int64_t playEnd = secondTicks.empty() ? 0 : secondTicks.back();
    std::vector<int> followedNow;
    for (std::size_t i = 1; i < runs.size(); ++i) {
        ++f.annotated;
        const double start = secondAt(secondTicks, runs[i].span.start);
        const double end = secondAt(secondTicks, std::min(runs[i].span.end, playEnd));
        if (end - start < FollowSeconds)
            continue;
        ++f.scored;
        // Readings s and s + 1 both shown within [start, start + 12 s).
        bool followed = false;
        for (std::size_t s = 0; s + 1 < shown.size() && !followed; ++s)
            followed = double(s + 1) > start && double(s + 1) < start + FollowSeconds
                       && shown[s] == runs[i].keyCode && shown[s + 1] == runs[i].keyCode;
        f.followed += followed;
    }
    f.followedUncapped = f.followed;
    if (!f.withinCap())
        f.followed = 0;
    return f;
}

} // namespace tunedeck::keyscore
