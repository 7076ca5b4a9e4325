#include "keymap/keymaptimeline.h"

#include "base/keycodes.h"

namespace tunedeck {

std::vector<KeyChangePoint> changePointsFromTimeline(const KeyTimeline &timeline, bool barTiming,
                                                     std::int32_t ticksPerBar)
{
    // As the timeline report: a header without ticks per bar must not divide by zero.
    const std::int64_t barTicks = ticksPerBar > 0 ? ticksPerBar : 1;
    std::vector<KeyChangePoint> points;
    for (std::size_t i = 0; i < timeline.times.size() && timeline.times[i] >= 0; ++i) {
        const std::int64_t time = timeline.times[i];
        const int code = isKeyCode(timeline.codes[i]) ? timeline.codes[i] : 0;
        points.push_back({barTiming ? time / barTicks + 1 : time, code});
    }
    return points;
}

} // namespace tunedeck
