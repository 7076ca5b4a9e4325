#include "playback/timedevents.h"

#include "fastdetect/midifile.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tunedeck {

float msPerTick(const MidiFile &file)
{
    const std::int16_t division = file.ticksPerQuarter();
    if (file.divisionKind() != 0 || division <= 0)
        return 0.0f;
    return static_cast<float>(file.tempo() / 1000.0 / division);
}

std::int32_t playTime(float msPerTick, std::int32_t tickSum)
{
    const double ms = std::nearbyint(static_cast<double>(msPerTick) * tickSum);
    return ms >= INT_MAX ? INT_MAX : static_cast<std::int32_t>(ms);
}

std::vector<TimedEvent> timedEvents(const MidiFile &file, std::int32_t first, std::int32_t last)
{
    const float perTick = msPerTick(file);
    const auto &tracks = file.tracks();
    std::vector<TimedEvent> events;
    for (std::int32_t t = std::max(first, 1); t <= last && t <= std::int32_t(tracks.size()); ++t) {
        std::int32_t tickSum = 0; // the reader keeps the sums in range
        for (const MidiEvent &e : tracks[std::size_t(t - 1)].events) {
            tickSum += std::int32_t(e.delta);
            events.push_back({playTime(perTick, tickSum), e.status, e.data1, e.data2, t});
        }
    }
    return events;
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
