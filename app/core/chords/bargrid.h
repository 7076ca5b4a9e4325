// Where the bars fall in the music: the meter and the downbeat found from the notes on the
// beats findBeats placed. Pop files often state a meter their music does not keep (1/4 or 2/4
// over bars of four beats) and start off a grid counted from tick 0, so the bars are read
// from where the harmony changes and long and low notes start; the stated meter decides only
// between meters the notes find about as likely.
#ifndef TUNEDECK_CORE_CHORDS_BARGRID_H
#define TUNEDECK_CORE_CHORDS_BARGRID_H

#include "core/chords/barevidence.h"
#include "core/chords/beatgrid.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::chords {

struct BarGrid {
    std::int64_t start = 0; // bar 1's first tick, 0 <= start < ticksPerBar
    bool pickup = false;    // notes sound before it: bar 0; else the silence before it is bar 1's
    std::int64_t ticksPerBar = 1920; // the bars' usual length
    // Bar 1's first tick and every later bar's, as the music's phase goes beat by beat (a bar
    // of two or six beats where it shifts); bars of ticksPerBar go on past the last. Empty:
    // bars of ticksPerBar from start throughout.
    std::vector<std::int64_t> lines;
};

// How much each beat's evidence (barevidence.h) and its neighbours' count for a downbeat, and
// what a shift of the bars' phase costs (in those units; see trackDownbeats). The defaults
// chosen by grouped cross-validation on the training songs (docs/CHORDS.md).
struct BarWeights {
    static constexpr int Reach = 3; // the beats either side
    // [Reach + d]: the weights of beat k + d's evidence for beat k.
    std::array<BeatEvidence, 2 * Reach + 1> evidence = {BeatEvidence{}, {}, {}, {1, 1, 1}, {}, {}, {}};
    double shift = 3;
};

// The bars of the notes (sorted by start) on the beats' grid. statedQuarters: the file's
// meter in quarter notes a bar, 0 without one. Four beats from tick 0 without notes; one
// phase throughout where no beat stands out.
BarGrid findBars(std::span<const SpanNote> notes, const BeatGrid &beats, int statedQuarters = 0,
                 const BarWeights &weights = {});

} // namespace tunedeck::chords

#endif
