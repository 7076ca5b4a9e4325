// A chord held while its bass moves among its tones (C, then C/E) is one chord in several
// inversions: its frames split where the chord tone in the bass changes for long enough,
// each part's bass then found over its frames. A bass off the chord (a passing note) keeps
// the part it passes through.
#ifndef TUNEDECK_CORE_CHORDS_INVERSIONS_H
#define TUNEDECK_CORE_CHORDS_INVERSIONS_H

#include "core/chords/chordframes.h"
#include "core/harmony/chord.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

struct BassRun {
    std::size_t from, to; // frames
    int bass;             // semitones above the root
};

struct BassReading {
    std::size_t minFrames = 2;   // a shorter part is a passing bass
    double inversionShare = 0.5; // of a part's bass time, for a chord tone other than the root
    double firstOnset = 0;       // what a part's first frame counts more: the bass the chord is struck on
};

// The runs of frames [from, to) of one chord in one inversion, in order. A part shorter than
// minFrames is a passing bass and joins the part before (the first, the next); a part's bass
// is the chord tone other than the root holding inversionShare of its bass time, else the
// root. Neighbours in one inversion are one run. No chord: one run in root position. A frame
// with a bass line's note (its class in `line`, bassline.h; -1 or past its end: none) is read
// by it alone.
std::vector<BassRun> bassRuns(const harmony::Chord &chord, const std::vector<FrameFeatures> &frames,
                              std::span<const std::int8_t> line, std::size_t from, std::size_t to,
                              const BassReading &reading);

} // namespace tunedeck::chords

#endif
