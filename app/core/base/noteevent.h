// One note event as every analysis, the play list and the live input read it.
#ifndef TUNEDECK_CORE_BASE_NOTEEVENT_H
#define TUNEDECK_CORE_BASE_NOTEEVENT_H

#include <cstdint>

namespace tunedeck {

struct NoteEvent {
    std::int32_t tick = 0;     // from the start of the file; every track starts at 0
    std::uint8_t note = 0;     // 0..127
    std::uint8_t velocity = 0; // 1..127 for a note-on; 0 for every note-off
    bool on = false;           // false also for a note-on of velocity 0
    std::uint8_t channel = 0;  // 0..15; 9 is the drum channel
    std::int32_t track = 0;    // the file's track number, 1 for the tempo track

    friend bool operator==(const NoteEvent &, const NoteEvent &) = default;
};

// The library refuses note 0, the lowest MIDI note, and a run would end at it: no run feeds
// one, and both analyses leave it out as they leave out a note transposed out of range.
constexpr bool libraryTakesNote(int note)
{
    return note >= 1 && note <= 127;
}

} // namespace tunedeck

#endif
