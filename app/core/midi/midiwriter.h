// A Standard MIDI File written from events: what a recording, the Python module's arrays and
// scores become, so that every path that reads MIDI bytes takes them.
#ifndef TUNEDECK_CORE_MIDI_MIDIWRITER_H
#define TUNEDECK_CORE_MIDI_MIDIWRITER_H

#include "core/base/failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck {

struct RawEvent {
    std::int64_t tick = 0;   // from the start of the piece, 0..2147483647 as a file can count
    int status = 0;          // a channel message, 0x80..0xEF
    int data1 = 0;           // 0..127
    int data2 = 0;           // 0..127; program change and channel pressure have none
    std::int32_t track = 2;  // the file's track number, 1 for the tempo track: "Track 01" is 2
};

// A meta event (FF type length data): tempo changes, meters, key signatures, track names.
struct MetaEvent {
    std::int64_t tick = 0;
    int type = 0;           // 0..127
    std::string data;       // at most 0x0FFFFFFF bytes
    std::int32_t track = 1; // as RawEvent::track; ignored in format 0
};

struct EventPiece {
    // Any order: each track's events are put in tick order, those at one tick kept as given.
    std::vector<RawEvent> events;
    int ticksPerQuarter = 480;
    std::optional<std::int32_t> tempo; // microseconds per quarter note; none: the reader's 500000
    // At least this many tracks, so that trailing tracks without events still count.
    std::int32_t trackCount = 0;
    // 1; or 0 for one track holding every event (the track numbers then do not count); or 2.
    // Each is read as a file of its format is: 0 only with AnalysisChoices::splitFormat0, 2
    // refused.
    int format = 1;
    // Written after the tempo, before the channel events of their tick. Without them the file
    // is the same to the byte as before they existed.
    std::vector<MetaEvent> metas;
};

// The file holding the piece: the tempo track first, with the Set Tempo, then the events of
// each track, every status byte written out. Fails for an event no file can hold.
Result<std::string> midiFileBytes(const EventPiece &piece);

} // namespace tunedeck

#endif
