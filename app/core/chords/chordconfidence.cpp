#include "core/chords/chordconfidence.h"

#include "core/chords/fittedchordmodel.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::chords {

ChordCalibrations fittedChordCalibrations()
{
    ChordCalibrations out;
    for (std::size_t t = 0; t < out.size(); ++t) {
        const auto &k = FittedChordCalibration[t];
        out[t] = {k[0], k[1], k[2], k[3], k[4], k[5]};
    }
    return out;
}

double chordConfidence(const ConfidenceInputs &in, const ChordCalibrations &calibrations)
{
    // Past these log odds the posteriors' rounding says nothing more.
    constexpr double Bound = 12;
    const ChordCalibration &c = calibrations[std::size_t(in.texture)];
    const double p = std::clamp(in.posterior, 0.0, 1.0);
    const double odds = p <= 0 ? -Bound : p >= 1 ? Bound : std::clamp(std::log(p / (1 - p)), -Bound, Bound);
    const double z = c.intercept + (c.slope + c.coveredSlope * in.coverage) * odds + c.perDoubling * std::log2(std::max(in.beats, 1.0 / 16))
                     + c.perToneShare * in.toneShare + c.perCoverage * in.coverage;
    return 1 / (1 + std::exp(-z));
}

} // namespace tunedeck::chords
