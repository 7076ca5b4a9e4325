// The MIDI file reader component: a Standard MIDI File as tracks of raw events.
#ifndef TUNEDECK_MIDIFILE_H
#define TUNEDECK_MIDIFILE_H

#include "base/failure.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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

// A chunk as the reader met it: its four-letter type, the offset of that type in the bytes
// loaded, and the length of its body, which follows the eight bytes of type and length.
struct MidiChunk {
    std::string type;
    std::size_t offset = 0;
    std::size_t length = 0;

    std::size_t end() const { return offset + 8 + length; }
};

class MidiFile {
public:
    // Files larger than this are refused rather than read into memory.
    static constexpr std::size_t MaxFileSize = 32u * 1024 * 1024;
    // Why a FIFO, device or socket is refused.
    static constexpr const char *NotRegularFile = "not a regular file";

    // Places: also where each event lies, for a copy that writes some events again.
    enum class Keep { Events, Places };

    // Reads and parses the file. Afterwards the header members describe it, or the failure
    // says why not ("file ends inside track 3") and the file holds nothing.
    // With `kept`, the bytes read are handed back there (a copy of the file is made from them).
    Result<> load(const std::string &path, std::string *kept = nullptr);
    // The same from bytes in memory, whose offsets the places and chunks then give.
    Result<> loadFromBytes(std::string_view bytes, Keep keep = Keep::Events);

    bool ok() const;

    int16_t format() const;
    int32_t divisionKind() const;    // 0 ticks per quarter note; non-zero SMPTE
    int16_t ticksPerQuarter() const; // the division word as it stands for a tick division
    int32_t tempo() const;           // first Set Tempo of the file, 500000 when there is none
    int16_t trackCount() const;      // tracks are numbered 1..trackCount

    // The tracks in file order; track n is tracks()[n - 1].
    const std::vector<MidiTrack> &tracks() const;
    // The header chunk and every chunk read up to the last announced track, in file order;
    // the n-th "MTrk" among them holds track n.
    const std::vector<MidiChunk> &chunks() const;
    // Puts other tracks in place of the parsed ones (a format 0 file read track by
    // channel); the header members stay as read. Nothing happens unless ok().
    void replaceTracks(std::vector<MidiTrack> tracks);

private:
    Result<> fail(std::string reason);
    Result<> parseBytes(std::string_view bytes, Keep keep);

    bool m_ok = false;
    int16_t m_format = 0;
    uint16_t m_division = 0;
    int32_t m_tempo = 500000;
    std::vector<MidiTrack> m_tracks;
    std::vector<MidiChunk> m_chunks;
};

} // namespace tunedeck

#endif
