// Every event of tracks first..last, track by track in file order, with its tick from the
// start of the file: each track is timed from 0, as a format 1 file's tracks are.
#ifndef TUNEDECK_CORE_MIDI_TRACKWALK_H
#define TUNEDECK_CORE_MIDI_TRACKWALK_H

#include "core/midi/midifile.h"

#include <algorithm>
#include <cstdint>

namespace tunedeck {

// visit(tick, track, event) returns false to stop the walk; the walk then returns false.
template <typename Visit>
bool walkTracks(const MidiFile &file, std::int32_t first, std::int32_t last, Visit &&visit)
{
    const auto &tracks = file.tracks();
    for (std::int32_t t = std::max(first, 1); t <= last && t <= std::int32_t(tracks.size()); ++t) {
        std::int32_t tick = 0; // the reader keeps the sums in range
        for (const MidiEvent &ev : tracks[std::size_t(t - 1)].events) {
            tick += std::int32_t(ev.delta);
            if (!visit(tick, t, ev))
                return false;
        }
    }
    return true;
}

} // namespace tunedeck

#endif
