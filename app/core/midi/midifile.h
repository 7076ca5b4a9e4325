// The MIDI file reader component: a Standard MIDI File as tracks of raw events.
#ifndef TUNEDECK_CORE_MIDI_MIDIFILE_H
#define TUNEDECK_CORE_MIDI_MIDIFILE_H

#include "core/base/failure.h"
#include "core/midi/miditrack.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck {

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

    bool ok_ = false;
    int16_t format_ = 0;
    uint16_t division_ = 0;
    int32_t tempo_ = 500000;
    std::vector<MidiTrack> tracks_;
    std::vector<MidiChunk> chunks_;
};

} // namespace tunedeck

#endif
