// What the chord analysis reads of the music: in each frame (a stretch of a few ticks, or of
// milliseconds while listening), how long each pitch class sounded and how long it was the
// lowest note, from notes with a start and an end.
#ifndef TUNEDECK_CORE_CHORDS_CHORDFRAMES_H
#define TUNEDECK_CORE_CHORDS_CHORDFRAMES_H

#include "core/base/noteevent.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

struct SpanNote {
    std::int64_t start = 0;
    std::int64_t end = 0;
    int pitch = 0;
    int track = 0;
};

// The notes of events in tick order: each note-on to the next note-off of its channel and
// pitch (the earliest still open first); a note still sounding at the end lasts to the last
// event. Drums (channel 10) are left out. Sorted by start.
std::vector<SpanNote> pairNotes(std::span<const NoteEvent> events);

struct FrameFeatures {
    std::array<double, 12> sounding{}; // time each pitch class sounded, once per note
    std::array<double, 12> bass{};     // time each was the lowest sounding note
};

// The pitch class longest in the bass; -1 where nothing sounds.
int bassOf(const FrameFeatures &frame);

// Frames of equal length from start on, `count` of them, from notes sorted by start.
std::vector<FrameFeatures> frameFeatures(std::span<const SpanNote> notes, std::int64_t start, std::int64_t length,
                                         std::size_t count);

} // namespace tunedeck::chords

#endif
