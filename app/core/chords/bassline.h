// The bass line as a listener hears it under a broken chord: in each frame the lowest note
// that sounds in it at all, not the lowest sounding at each moment (which an accompaniment's
// upper notes take over between its bass notes). A note shorter than a share of the frame is
// passing and left out where a longer one sounds.
#ifndef TUNEDECK_CORE_CHORDS_BASSLINE_H
#define TUNEDECK_CORE_CHORDS_BASSLINE_H

#include "core/chords/chordframes.h"
#include "core/chords/chordsteps.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

// Each of `count` frames' lowest note sounding at least passingShare of it (the lowest of all
// where none does), its pitch class; -1 where nothing sounds.
std::vector<std::int8_t> bassLine(std::span<const SpanNote> notes, std::int64_t start, std::int64_t length,
                                  std::size_t count, double passingShare);

// The bass line of each step, from its frame's or its half's; empty where the frames have none.
std::vector<std::int8_t> bassLineOfSteps(const ChordSteps &steps);

} // namespace tunedeck::chords

#endif
