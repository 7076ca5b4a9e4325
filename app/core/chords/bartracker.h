// The bars beat by beat: where a song's downbeats fall when its phase shifts (a bar of two
// or six beats between bars of four, a beat dropped). One bar length a song (the one bargrid
// finds), any phase from beat to beat at a cost, so a shift is taken only where the music
// keeps the new phase long enough to pay for it.
#ifndef TUNEDECK_CORE_CHORDS_BARTRACKER_H
#define TUNEDECK_CORE_CHORDS_BARTRACKER_H

#include <span>
#include <vector>

namespace tunedeck::chords {

// The beats (by index) that start a bar, ascending: the path through the positions in a bar
// of `quarters` beats that scores the most: downbeat[k] for each beat k that starts a bar, less
// shiftCost for each beat that does not follow the one before it in the bar. With scores
// near 0 on average, only a new phase that stands out for a while pays for its shift; a cost
// past every score's sum keeps one phase. Empty without beats.
std::vector<std::size_t> trackDownbeats(std::span<const double> downbeat, int quarters, double shiftCost);

} // namespace tunedeck::chords

#endif
