// Notes written as start, length and pitch, turned into the note events a run feeds: the
// passages the analysis tests compose.
#ifndef TUNEDECK_TESTS_SUPPORT_NOTEEVENTS_H
#define TUNEDECK_TESTS_SUPPORT_NOTEEVENTS_H

#include "core/base/noteevent.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tunedeck::testnotes {

struct Note {
    std::int32_t start, length;
    int pitch;
    int channel = 0;
};

inline std::vector<NoteEvent> eventsOf(const std::vector<Note> &notes)
{
    std::vector<NoteEvent> events;
    for (const Note &n : notes) {
        events.push_back({n.start, std::uint8_t(n.pitch), 90, true, std::uint8_t(n.channel), 2});
        events.push_back({n.start + n.length, std::uint8_t(n.pitch), 0, false, std::uint8_t(n.channel), 2});
    }
    std::stable_sort(events.begin(), events.end(), [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; });
    return events;
}

} // namespace tunedeck::testnotes

#endif
