// Which pitch classes sound below the melody, frame by frame. A pop song's melody passes
// through a second or a major seventh over the triad below it; the accompaniment holding one
// is what makes the chord a sus2 or a maj7.
#ifndef TUNEDECK_CORE_CHORDS_UNDERMELODY_H
#define TUNEDECK_CORE_CHORDS_UNDERMELODY_H

#include "core/chords/chordframes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

// For each of count frames of length ticks from start, a bit per pitch class (bit pc) that
// sounded below the highest note sounding for at least share of the frame. Notes sorted by
// start or not.
std::vector<std::uint16_t> underMelody(std::span<const SpanNote> notes, std::int64_t start, std::int64_t length,
                                       std::size_t count, double share);

} // namespace tunedeck::chords

#endif
