// How the live tracker's filtered probability becomes the confidence shown. The filter is far
// too sure of its key in music that modulates (its stay probability makes every second's
// evidence pile up), and its probability says nothing of how long the key has been shown or
// how much has been heard. The confidence is a logistic function of the shown key's log odds
// and of those durations, fitted on the shared corpus (fittedlivecalibration.h, written by
// the build target fit-tables), so that it says how often the key shown is right.
#ifndef TUNEDECK_CORE_PROFILE_LIVECALIBRATION_H
#define TUNEDECK_CORE_PROFILE_LIVECALIBRATION_H

#include "core/profile/fittedlivecalibration.h"

#include <array>

namespace tunedeck::profile {

// What the tracker knows when it is read.
struct LiveConfidenceFeatures {
    double probability = 0; // the filtered probability of the key shown
    int steadySeconds = 0;  // seconds since the key shown last changed
    int heardSeconds = 0;   // sounding seconds heard so far
    double correlation = 0; // of the context with the key shown's profile
    double lead = 0;        // how far that is above the best other key's (below: negative)
    double agreement = 0;   // share of the last sounding seconds whose context fit the key shown best
};

// 1, log odds, log(1 + steady), log(1 + heard), correlation, lead, agreement, 1 / (1 + heard):
// the last judges the first seconds, read from a few notes, apart
constexpr std::size_t LiveCalibrationInputs = 8;
using LiveCalibrationWeights = std::array<double, LiveCalibrationInputs>;

// The identity: the confidence is the filtered probability.
inline constexpr LiveCalibrationWeights UncalibratedLive{0, 1, 0, 0, 0, 0, 0, 0};

// The inputs of the logistic function; the log odds are kept within +-12 (a probability of
// 1 - 6e-6), past which the filter's rounding says nothing more.
std::array<double, LiveCalibrationInputs> liveCalibrationInputs(const LiveConfidenceFeatures &features);

// The calibrated confidence, in (0, 1).
double liveConfidence(const LiveConfidenceFeatures &features,
                      const LiveCalibrationWeights &weights = FittedLiveCalibration);

} // namespace tunedeck::profile

#endif
