// Where the beats fall. Files keep one quarter note a beat, but many play off a grid counted
// from tick 0 (a pickup, or a recording's first beat placed where it fell), so the grid's
// phase is found from the notes: the quarter-note position where most sounding time starts.
#ifndef TUNEDECK_CORE_CHORDS_BEATGRID_H
#define TUNEDECK_CORE_CHORDS_BEATGRID_H

#include "core/chords/chordframes.h"

#include <cstdint>
#include <span>

namespace tunedeck::chords {

struct BeatGrid {
    std::int64_t ticksPerBeat = 480;
    std::int64_t phase = 0; // a beat falls on every tick phase + k * ticksPerBeat, 0 <= phase < ticksPerBeat
    bool onBeat(std::int64_t tick) const { return ((tick - phase) % ticksPerBeat + ticksPerBeat) % ticksPerBeat == 0; }
};

// The grid of quarter notes whose phase the notes' onsets favour, each weighed by how long it
// sounds (up to a beat); phase 0 without notes.
BeatGrid findBeats(std::span<const SpanNote> notes, int ticksPerQuarter);

} // namespace tunedeck::chords

#endif
