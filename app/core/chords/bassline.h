// The bass line as a listener hears it under a broken chord: in each frame the lowest note
// that sounds in it at all, not the lowest sounding at each moment (which an accompaniment's
// upper notes take over between its bass notes). A note shorter than a share of the frame is
// passing and left out where a longer one sounds.
#ifndef TUNEDECK_CORE_CHORDS_BASSLINE_H
#define TUNEDECK_CORE_CHORDS_BASSLINE_H

#include "core/chords/chordframes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

// Sets each frame's `lowest`: the frame's length on the pitch class of its lowest note
// sounding at least passingShare of the frame (the lowest of all where none does).
void fillBassLine(std::vector<FrameFeatures> &frames, std::span<const SpanNote> notes, std::int64_t start,
                  std::int64_t length, double passingShare);

} // namespace tunedeck::chords

#endif
