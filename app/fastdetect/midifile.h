// The MIDI file reader component: a Standard MIDI File as tracks of raw events.
#ifndef TUNEDECK_MIDIFILE_H
#define TUNEDECK_MIDIFILE_H

#include <cstdint>
#include <functional>
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

struct MidiTrack {
    std::vector<MidiEvent> events;
};

class MidiFile {
public:
    // Files larger than this are refused rather than read into memory.
    static constexpr std::size_t MaxFileSize = 32u * 1024 * 1024;

    // The component's error notification: called once per failed load with the reason
    // ("file ends inside track 3").
    using ErrorHandler = std::function<void(const std::string &reason)>;
    void setErrorHandler(ErrorHandler handler);

    void setFileName(const std::string &path);
    const std::string &fileName() const;

    // The two load steps, always called in this order: read the file's bytes, then parse
    // them. Afterwards the header members describe the file, or ok() is false.
    void load();
    void parse();

    // Both steps from bytes in memory (tests, fuzzing). Returns ok().
    bool loadFromBytes(std::string_view bytes);

    bool ok() const;
    const std::string &errorMessage() const;

    int16_t format() const;
    int32_t divisionKind() const;    // 0 ticks per quarter note; non-zero SMPTE
    int16_t ticksPerQuarter() const; // the division word as it stands for a tick division
    int32_t tempo() const;           // first Set Tempo of the file, 500000 when there is none
    int16_t trackCount() const;      // tracks are numbered 1..trackCount

    // Current track and event; a number out of range selects nothing and the event
    // members then read 0.
    void setTrack(int32_t track);
    int32_t eventCount() const; // events of the current track, numbered 1..eventCount
    void setEvent(int32_t event);
    int32_t deltaTime() const;
    int status() const;
    int data1() const;
    int data2() const;

    // All tracks at once, for readers that walk every event.
    const std::vector<MidiTrack> &tracks() const;
    // Puts other tracks in place of the parsed ones (a format 0 file read track by
    // channel); the header members stay as read. Nothing happens unless ok().
    void replaceTracks(std::vector<MidiTrack> tracks);

private:
    enum class Stage { Empty, Loaded, Failed, Parsed };

    void reset();
    void fail(std::string reason);
    void parseBytes(std::string_view bytes);

    std::string m_fileName;
    ErrorHandler m_errorHandler;
    Stage m_stage = Stage::Empty;
    std::string m_bytes; // read by load(), released by parse()
    std::string m_error;

    int16_t m_format = 0;
    uint16_t m_division = 0;
    int32_t m_tempo = 500000;
    std::vector<MidiTrack> m_tracks;

    const MidiTrack *m_track = nullptr;
    const MidiEvent *m_event = nullptr;
};

} // namespace tunedeck

#endif
