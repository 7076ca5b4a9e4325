// How often a chord shown so is right: a calibrated map of what its segment shows, one for
// each kind of texture.
#ifndef TUNEDECK_CORE_CHORDS_CHORDCONFIDENCE_H
#define TUNEDECK_CORE_CHORDS_CHORDCONFIDENCE_H

#include "core/chords/texture.h"

#include <array>

namespace tunedeck::chords {

// What a segment's confidence is read from.
struct ConfidenceInputs {
    double posterior = 0; // its frames' mean posterior
    double beats = 0;     // how long it lasts
    double toneShare = 0; // the share of its notes' sounding time on the chord's tones
    double coverage = 0;  // how much of its time its least sounding tone sounds (at most all)
    Texture texture = Texture::Diatonic; // the piece's
};

// A segment's confidence: a logistic function of the log odds of its frames' mean posterior,
// of how many beats it lasts (log 2), of its tone share and of its coverage, one for each
// texture. Long chords are right more often than their frames alone say, chords changing on
// every beat less often, and a chord whose notes are its tones, every one sounding
// throughout, more often than its posterior says.
struct ChordCalibration {
    double intercept = 0, slope = 1, perDoubling = 0, perToneShare = 0, perCoverage = 0;
    double coveredSlope = 0; // added to the slope, times the coverage: a chord all of whose tones sound needs its posterior less
};
using ChordCalibrations = std::array<ChordCalibration, TextureCount>;
ChordCalibrations fittedChordCalibrations();
double chordConfidence(const ConfidenceInputs &inputs, const ChordCalibrations &calibrations);

} // namespace tunedeck::chords

#endif
