#include "core/midi/format0split.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tunedeck {

namespace {

struct Timed {
    std::uint64_t tick;
    const MidiEvent *event;
};

// Appends `ev` to `track` at absolute `tick`, given the tick of the track's last event.
void append(MidiTrack &track, std::uint64_t &last, std::uint64_t tick, MidiEvent ev)
{
    ev.delta = std::uint32_t(tick - last);
    last = tick;
    track.events.push_back(ev);
}

} // namespace

std::vector<MidiTrack> splitFormat0(const std::vector<MidiTrack> &tracks)
{
    std::vector<Timed> all;
    std::uint64_t end = 0;
    for (const MidiTrack &track : tracks) {
        std::uint64_t tick = 0;
        for (const MidiEvent &ev : track.events) {
            tick += ev.delta;
            all.push_back({tick, &ev});
        }
        end = std::max(end, tick);
    }
    if (tracks.size() > 1)
        std::stable_sort(all.begin(), all.end(), [](const Timed &a, const Timed &b) { return a.tick < b.tick; });

    MidiTrack meta;
    std::uint64_t metaLast = 0;
    std::array<MidiTrack, 16> channels;
    std::array<std::uint64_t, 16> channelLast{};
    for (const Timed &t : all) {
        const MidiEvent &ev = *t.event;
        if (ev.status >= 0xF0) {
            // One End of Track, at the end: merged tracks each brought their own.
            if (!(ev.status == 0xFF && ev.data1 == 0x2F))
                append(meta, metaLast, t.tick, ev);
        } else {
            append(channels[ev.status & 0x0F], channelLast[ev.status & 0x0F], t.tick, ev);
        }
    }

    const MidiEvent endOfTrack{0, 0xFF, 0x2F, 0};
    std::vector<MidiTrack> out;
    append(meta, metaLast, end, endOfTrack);
    out.push_back(std::move(meta));
    for (int c = 0; c < 16; ++c) {
        if (channels[std::size_t(c)].events.empty())
            continue;
        append(channels[std::size_t(c)], channelLast[std::size_t(c)], end, endOfTrack);
        out.push_back(std::move(channels[std::size_t(c)]));
    }
    return out;
}

std::vector<MidiTrack> splitFormat0(const MidiFile &file)
{
    return splitFormat0(file.tracks());
}

} // namespace tunedeck
