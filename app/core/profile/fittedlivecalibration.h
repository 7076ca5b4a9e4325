// Written by `cmake --build build --target fit-tables` (tunedeck-livescore --fit-tables)
// from the shared corpus (pop909, bach, wir songs and textbook examples; every set and
// every file of a set weighing alike): a logistic regression of the key shown being the
// annotated one, second by second, the tracker at its defaults with the fitted profile in
// force. Its inputs are those of liveCalibrationInputs; the set of them was chosen by
// held-out log loss, 5 folds grouped by piece (songs by composer), and those left out
// stay 0. Reliability in docs/PROFILE-ANALYSIS.md.
#ifndef TUNEDECK_CORE_PROFILE_FITTEDLIVECALIBRATION_H
#define TUNEDECK_CORE_PROFILE_FITTEDLIVECALIBRATION_H

#include <array>

namespace tunedeck::profile {

// 1, log odds, log(1 + steady seconds), log(1 + heard seconds), correlation, lead,
// agreement, 1 / (1 + heard seconds)
inline constexpr std::array<double, 8> FittedLiveCalibration{-2.5251, 0.2280, 0.4888, -0.1696, 2.6012, 0.3883, 0.6656, 0.0000};

} // namespace tunedeck::profile

#endif
