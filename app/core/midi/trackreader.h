// Reading one track chunk of a Standard MIDI File into its events.
#ifndef TUNEDECK_CORE_MIDI_TRACKREADER_H
#define TUNEDECK_CORE_MIDI_TRACKREADER_H

#include "core/midi/miditrack.h"

#include <cstdint>
#include <string>

namespace tunedeck {

// Fills `track` from the chunk bytes [begin, end) of track `number`; returns an empty
// string or the reason the track is unreadable. `tempo` receives the first well-formed
// Set Tempo unless `haveTempo` says one was found already. With `origin`, the start of the
// bytes loaded, each event's place is kept too, as offsets from it.
std::string readTrackChunk(const unsigned char *begin, const unsigned char *end, int number, MidiTrack &track,
                           int32_t &tempo, bool &haveTempo, const unsigned char *origin = nullptr);

} // namespace tunedeck

#endif
