// The tune over an accompaniment: a part that plays one note at a time above chords played
// in another part (a song's voice, a pop song's melody track). Its short and off-beat notes
// are mostly passing and neighbour notes, so they count less toward the chord.
#ifndef TUNEDECK_CORE_CHORDS_MELODYLINE_H
#define TUNEDECK_CORE_CHORDS_MELODYLINE_H

#include "core/chords/beatgrid.h"
#include "core/chords/chordframes.h"

#include <vector>

namespace tunedeck::chords {

// The tracks that are such a line: at most `MaxLineOverlap` of their sounding time holds two
// of their notes at once, while another track holds two or more for at least
// `MinChordOverlap` of its own, and whose mean pitch lies above the lowest track's.
std::vector<int> melodyTracks(const std::vector<SpanNote> &notes);

// The lines' notes that start off the beat or last less than a beat weigh `weight`; the rest
// keep theirs. Nothing changes at weight 1 or without a line; whether any note changed.
bool weighMelodyLines(std::vector<SpanNote> &notes, const BeatGrid &grid, double weight);

} // namespace tunedeck::chords

#endif
