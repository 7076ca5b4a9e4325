// A MIDI file written again with meta events added or taken out, every other byte as it was:
// what the key-signature and chord-marker copies are made with.
#ifndef TUNEDECK_CORE_MIDI_MIDIEDIT_H
#define TUNEDECK_CORE_MIDI_MIDIEDIT_H

#include "core/base/failure.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck {

// A meta event to add: its type (0x59 key signature, 0x06 marker) and data, at a tick from
// the start of the file. (Named apart from the writer's MetaEvent: two types of one name in
// one namespace share their inline code, and the program then frees one as the other.)
struct AddedMeta {
    std::uint64_t tick = 0;
    std::uint8_t type = 0;
    std::string data;
};

struct MidiEdit {
    std::vector<AddedMeta> added;      // into the first track; at one tick, in this order
    std::vector<std::uint8_t> removed; // meta types taken out of every track

    // Both edits at once: the events added by both, the types removed by either.
    MidiEdit &operator+=(const MidiEdit &other);
};

// The file with the edit made. The first track is written again: its events keep their bytes
// and absolute ticks, new events go after the events at their tick but before End of Track,
// which moves on to the last new event when it came before it. Other tracks that held a
// removed type lose only those events; every other byte of the file stays as it was.
Result<std::string> editedMidi(std::string_view file, const MidiEdit &edit);

} // namespace tunedeck

#endif
