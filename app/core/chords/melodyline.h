// The tune over an accompaniment: a part that plays one note at a time above chords played
// in another part (a song's voice, a pop song's melody track). Its short and off-beat notes
// are mostly passing and neighbour notes, so they count less toward the chord.
#ifndef TUNEDECK_CORE_CHORDS_MELODYLINE_H
#define TUNEDECK_CORE_CHORDS_MELODYLINE_H

#include "core/chords/beatgrid.h"
#include "core/chords/chordframes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

// The tracks that are such a line, from notes sorted by start: at most 5 % of their sounding
// time holds two of their notes at once, while another track holds two or more for at least
// 20 % of its own, and their mean pitch lies above the lowest track's.
std::vector<int> melodyTracks(std::span<const SpanNote> notes);

// The lines' notes that start off the beat or last less than a beat.
std::vector<SpanNote> passingNotes(std::span<const SpanNote> notes, const BeatGrid &grid);

// Takes `share` of the notes' sounding time out of the frames of `length` ticks from start on
// (frameFeatures' pitch classes; the bass stays).
void discount(std::vector<FrameFeatures> &frames, std::int64_t start, std::int64_t length,
              std::span<const SpanNote> notes, double share);

} // namespace tunedeck::chords

#endif
