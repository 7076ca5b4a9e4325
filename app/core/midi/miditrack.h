// A track of a Standard MIDI File as the reader stores it: its raw events and where each lay.
#ifndef TUNEDECK_CORE_MIDI_MIDITRACK_H
#define TUNEDECK_CORE_MIDI_MIDITRACK_H

#include <cstdint>
#include <vector>

namespace tunedeck {

// One event as stored in its track: the delta time since the previous event of the
// same track, its own status byte (running status resolved) and two data bytes.
// Meta events (0xFF) and system-exclusive events (0xF0, 0xF7) are events too, so their
// delta times count; for a meta event data1 is the meta type.
struct MidiEvent {
    uint32_t delta = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

// Where an event lies in the bytes loaded: from the byte after its delta time (its status
// byte, or its first data byte when the file left the status out) to one past its last byte.
struct EventBytes {
    uint32_t begin = 0;
    uint32_t end = 0;
    bool runningStatus = false; // the file left the status byte out
};

struct MidiTrack {
    std::vector<MidiEvent> events;
    // One per event when the file was loaded with MidiFile::Keep::Places, else empty.
    std::vector<EventBytes> places;
};

} // namespace tunedeck

#endif
