// The order measures are played in: as written once, or with repeat barlines, endings
// (voltas) and the jumps (da capo, dal segno, fine, coda) unfolded.
#ifndef TUNEDECK_CORE_SCORE_REPEATS_H
#define TUNEDECK_CORE_SCORE_REPEATS_H

#include "core/score/partreader.h"

#include <cstddef>
#include <vector>

namespace tunedeck::score {

// Measure indices in playing order. A backward repeat goes back to the last forward repeat
// (or the end of the last repeat, or the start) until it has been played its times; an
// ending is played on the passes it names and skipped on the others. A da capo or dal segno
// goes back once, at the end of its measure when its repeat is done, to the start or the
// segno; from there repeats are taken once (endings that lead back skipped), the music ends
// at a fine, and "to coda" goes to the coda. Bounded: a structure that would play more than
// 64 times the written measures is cut there.
std::vector<std::size_t> playingOrder(const std::vector<Barlines> &barlines);

} // namespace tunedeck::score

#endif
