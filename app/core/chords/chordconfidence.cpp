#include "core/chords/chordconfidence.h"

#include "core/chords/fittedchordmodel.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::chords {

namespace {

// Past these log odds the posteriors' rounding says nothing more.
constexpr double Bound = 12;

double logOdds(double p)
{
    p = std::clamp(p, 0.0, 1.0);
    return p <= 0 ? -Bound : p >= 1 ? Bound : std::clamp(std::log(p / (1 - p)), -Bound, Bound);
}

// Shorter than this many beats counts as this.
constexpr double LeastBeats = 1.0 / 16;

bool isSeventh(const harmony::Chord &chord)
{
    return !chord.none() && harmony::intervals(chord.quality).size() == 4;
}

} // namespace

void addPieceFigures(std::span<ConfidenceInputs> inputs, double chromatic)
{
    double beats = 0, posterior = 0, sevenths = 0;
    for (const ConfidenceInputs &in : inputs) {
        beats += in.beats;
        posterior += in.posterior * in.beats;
        sevenths += isSeventh(in.chord) ? in.beats : 0;
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        ConfidenceInputs &in = inputs[i];
        in.fifthDown = !in.chord.none() && i + 1 < inputs.size() && inputs[i + 1].chord.root == (in.chord.root + 5) % 12;
        in.resolves = in.fifthDown && in.chord.quality == harmony::Quality::Dominant7;
        in.piecePosterior = beats > 0 ? posterior / beats : 0;
        in.changesPerBeat = beats > 0 ? double(inputs.size()) / beats : 0;
        in.seventhShare = beats > 0 ? sevenths / beats : 0;
        in.chromatic = chromatic;
    }
}

ConfidenceTerms confidenceTerms(const ConfidenceInputs &in)
{
    const double odds = logOdds(in.posterior), pieceOdds = logOdds(in.piecePosterior);
    return {1,
            odds,
            std::log2(std::max(in.beats, LeastBeats)),
            in.toneShare,
            in.coverage,
            odds * in.coverage,
            pieceOdds,
            std::log2(std::max(in.changesPerBeat, LeastBeats)),
            in.seventhShare,
            in.chromatic,
            pieceOdds * odds,
            isSeventh(in.chord) ? in.coverage : 0,
            in.resolves ? 1.0 : 0.0,
            odds * std::log2(std::max(in.beats, LeastBeats)),
            in.fifthDown ? 1.0 : 0.0,
            !in.chord.none() && in.chord.bass != 0 ? 1.0 : 0.0};
}

ChordCalibrations fittedChordCalibrations()
{
    ChordCalibrations out;
    for (std::size_t t = 0; t < out.size(); ++t)
        std::copy(FittedChordCalibration[t].begin(), FittedChordCalibration[t].end(), out[t].begin());
    return out;
}

double chordConfidence(const ConfidenceInputs &in, const ChordCalibrations &calibrations)
{
    const ChordCalibration &weights = calibrations[std::size_t(in.texture)];
    const ConfidenceTerms terms = confidenceTerms(in);
    double z = 0;
    for (std::size_t i = 0; i < terms.size(); ++i)
        z += weights[i] * terms[i];
    return 1 / (1 + std::exp(-z));
}

} // namespace tunedeck::chords
