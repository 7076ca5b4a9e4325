// How the keys' expected shares of the note time become the confidences shown. The model is
// too sure of its first key when it is long and plain (neighbouring windows share notes,
// so their evidence is counted more than once) and not sure enough when it is torn between
// two keys. The first key's confidence is a logistic function of its share's log odds
// (fitted on the shared corpus, fittedcalibration.h, written by the build target
// fit-tables); every share is then raised to the one power that gives the first key
// that confidence, and all are scaled to sum 1 again, which keeps their order.
#ifndef TUNEDECK_CORE_PROFILE_CALIBRATION_H
#define TUNEDECK_CORE_PROFILE_CALIBRATION_H

#include "core/profile/fittedcalibration.h"

#include <array>

namespace tunedeck::profile {

struct Calibration { // intercept 0 and slope 1 leave the shares as they are
    double intercept = FittedCalibrationIntercept;
    double slope = FittedCalibrationSlope;
};

// log(first / (1 - first)) of the largest share, the rest counted from the other shares
// so that it stays finite as the first nears 1; +infinity when the others are all 0.
double firstLogOdds(const std::array<double, 24> &shares);

// The first key's calibrated confidence for the log odds of its share.
double calibratedConfidence(double logOdds, const Calibration &calibration);

// A local key's confidence from its window's probability: the calibration of its log odds,
// kept within +-12 (a probability of 1 - 6e-6), past which the model's rounding says nothing.
double windowConfidence(double share, const Calibration &calibration);

// Every share to the power that gives the largest its calibrated confidence, scaled to sum 1.
// Shares of 0 stay 0; all 0 stays all 0.
std::array<double, 24> calibratedShares(const std::array<double, 24> &shares, const Calibration &calibration);

} // namespace tunedeck::profile

#endif
