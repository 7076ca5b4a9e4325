// How often a chord shown so is right: a calibrated map of what its segment and its piece
// show, one for each kind of texture.
#ifndef TUNEDECK_CORE_CHORDS_CHORDCONFIDENCE_H
#define TUNEDECK_CORE_CHORDS_CHORDCONFIDENCE_H

#include "core/chords/texture.h"
#include "core/harmony/chord.h"

#include <array>
#include <cstddef>
#include <span>

namespace tunedeck::chords {

// What a segment's confidence is read from.
struct ConfidenceInputs {
    double posterior = 0; // its frames' mean posterior
    double beats = 0;     // how long it lasts
    double toneShare = 0; // the share of its notes' sounding time on the chord's tones
    double coverage = 0;  // how much of its time its least sounding tone sounds (at most all)
    harmony::Chord chord; // the chord shown
    Texture texture = Texture::Diatonic; // the piece's
    // From the piece (addPieceFigures). A chord going a fifth down, a dominant seventh the
    // more, is right more often than its posterior (a seventh's split with its triad's) says. The same posterior is right less often in a
    // piece whose chords are unsure, change often or are often sevenths, or whose notes leave
    // the scale.
    bool fifthDown = false;    // the next chord's root lies a fifth below
    bool resolves = false;     // and this is a dominant seventh
    double piecePosterior = 0; // its segments' mean posterior, weighted by their beats
    double changesPerBeat = 0; // its segments per beat
    double seventhShare = 0;   // the share of its beats on chords of four tones
    double chromatic = 0;      // the texture's share of sounding time off the scale
};

// Sets the piece's figures on each of its segments' inputs, in the segments' order.
void addPieceFigures(std::span<ConfidenceInputs> inputs, double chromatic);

// The terms a confidence's log odds add up, each times its weight: 1; the log odds of the
// posterior; log2 of the beats; the tone share; the coverage; the log odds times the coverage;
// the log odds of the piece's posterior; log2 of its changes a beat; its share of sevenths; its
// chromatic share; the piece's log odds times the segment's; a seventh chord's coverage (one
// whose four tones all sound is right more often than its posterior says); 1 for a dominant
// seventh resolving; the log odds times log2 of the beats (a long chord's posterior says
// less); 1 for any chord whose next lies a fifth below; and 1 for an inverted chord (its bass
// must be right too, and a broken chord's lowest note often is not).
constexpr std::size_t ConfidenceTermCount = 16;
using ConfidenceTerms = std::array<double, ConfidenceTermCount>;
ConfidenceTerms confidenceTerms(const ConfidenceInputs &inputs);

// A segment's confidence: a logistic function of its terms, one set of weights per texture.
// The weights {0, 1} give the posterior itself.
using ChordCalibration = ConfidenceTerms;
using ChordCalibrations = std::array<ChordCalibration, TextureCount>;
ChordCalibrations fittedChordCalibrations();
double chordConfidence(const ConfidenceInputs &inputs, const ChordCalibrations &calibrations);

} // namespace tunedeck::chords

#endif
