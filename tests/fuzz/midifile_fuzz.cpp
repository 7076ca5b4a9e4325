// Feeds arbitrary bytes to the MIDI file reader and reads back everything it offers,
// trapping on any state the program could not rely on.
#include "core/midi/midifile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tunedeck::MidiFile midi;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const tunedeck::Result<> read = midi.loadFromBytes(bytes, tunedeck::MidiFile::Keep::Places);

    check(bool(read) == midi.ok());
    check(read || !read.error().reason.empty());
    check(midi.trackCount() >= 0 && std::size_t(midi.trackCount()) == midi.tracks().size());
    if (!read)
        check(midi.trackCount() == 0 && midi.format() == 0 && midi.divisionKind() == 0 && midi.ticksPerQuarter() == 0
              && midi.chunks().empty());
    volatile int32_t header = midi.format() + midi.divisionKind() + midi.ticksPerQuarter() + midi.tempo();
    (void)header;

    // The chunks follow one another inside the bytes, and the n-th "MTrk" holds track n.
    std::size_t next = 0;
    std::size_t track = 0;
    for (const tunedeck::MidiChunk &chunk : midi.chunks()) {
        check(chunk.offset == next && chunk.end() <= size && chunk.type == bytes.substr(chunk.offset, 4));
        next = chunk.end();
        if (chunk.type != "MTrk")
            continue;
        check(track < midi.tracks().size());
        const tunedeck::MidiTrack &t = midi.tracks()[track++];
        check(t.places.size() == t.events.size());
        // Each event lies inside its chunk's body after the one before it and its own delta time.
        std::size_t from = chunk.offset + 8;
        for (const tunedeck::EventBytes &at : t.places) {
            check(at.begin > from && at.begin < at.end && at.end <= chunk.end());
            from = at.end;
        }
    }
    check(track == midi.tracks().size());

    for (const tunedeck::MidiTrack &t : midi.tracks()) {
        int64_t ticks = 0;
        for (std::size_t k = 0; k < t.events.size(); ++k) {
            const tunedeck::MidiEvent &e = t.events[k];
            check(e.delta <= 0x0FFFFFFF);
            ticks += e.delta;
            check(ticks <= INT32_MAX);
            check(e.status >= 0x80);
            if (e.status < 0xF0)
                check(e.data1 <= 0x7F && e.data2 <= 0x7F && ((e.status & 0xE0) != 0xC0 || e.data2 == 0));
            else
                check(e.status == 0xFF || ((e.status == 0xF0 || e.status == 0xF7) && e.data1 == 0 && e.data2 == 0));
            // Nothing follows End of Track.
            if (e.status == 0xFF && e.data1 == 0x2F)
                check(k + 1 == t.events.size());
            // A status left out is one that ran on from a channel message.
            check(!t.places[k].runningStatus || e.status < 0xF0);
        }
    }
    return 0;
}
