#include "core/playback/timedevents.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tunedeck {

std::int32_t playTime(float msPerTick, std::int32_t tickSum)
{
    const double ms = std::nearbyint(static_cast<double>(msPerTick) * tickSum);
    return ms >= INT_MAX ? INT_MAX : static_cast<std::int32_t>(ms);
}

std::int32_t playTime(float msPerTick, std::int32_t tickSum, int tempoPercent)
{
    // The file's own tempo keeps its times to the millisecond.
    if (tempoPercent == 100 || tempoPercent <= 0)
        return playTime(msPerTick, tickSum);
    const double ms = std::nearbyint(static_cast<double>(msPerTick) * tickSum * 100.0 / tempoPercent);
    return ms >= INT_MAX ? INT_MAX : static_cast<std::int32_t>(ms);
}

std::vector<TimedEvent> channelMessagesInPlayOrder(const std::vector<TimedEvent> &events)
{
    std::vector<TimedEvent> out;
    for (TimedEvent e : events) {
        if (!isChannelMessage(e.status))
            continue;
        e.ms = std::max(e.ms, 0); // before the start is at the start
        e.data1 &= 0x7F;
        e.data2 = hasOneDataByte(e.status) ? 0 : e.data2 & 0x7F;
        out.push_back(e);
    }
    std::stable_sort(out.begin(), out.end(), [](const TimedEvent &a, const TimedEvent &b) { return a.ms < b.ms; });
    return out;
}

} // namespace tunedeck
