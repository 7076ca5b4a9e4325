// What the chord analysis reads of a stretch of music: how long each pitch class sounded in
// it and how long it was the lowest note, from notes with a start and an end (ticks for a
// file, milliseconds while listening).
#ifndef TUNEDECK_CHORDS_CHORDFRAMES_H
#define TUNEDECK_CHORDS_CHORDFRAMES_H

#include "base/noteevent.h"
#include "chords/chord.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

struct SpanNote {
    std::int64_t start = 0;
    std::int64_t end = 0;
    int pitch = 0;
};

// The notes of events in tick order: each note-on to the next note-off of its channel and
// pitch (the earliest still open first); a note still sounding at the end lasts to the last
// event. Drums (channel 10) are left out. Sorted by start.
std::vector<SpanNote> pairNotes(std::span<const NoteEvent> events);

struct FrameFeatures {
    std::array<double, 12> sounding{}; // time each pitch class sounded, once per note
    std::array<double, 12> bass{};     // time each was the lowest sounding note
    double length = 0;                 // the stretch's length
    double soundingTime = 0;           // of which some note sounded
};

// The features of [from, to) from notes sorted by start.
FrameFeatures spanFeatures(std::span<const SpanNote> notes, std::int64_t from, std::int64_t to);

// The chord that best names a stretch on its own; no chord where nothing sounds.
Chord spanChord(std::span<const SpanNote> notes, std::int64_t from, std::int64_t to);

} // namespace tunedeck::chords

#endif
