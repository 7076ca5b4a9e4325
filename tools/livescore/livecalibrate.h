// Fitting the live tracker's confidence calibration on the corpus, and its reliability.
#ifndef TUNEDECK_LIVESCORE_LIVECALIBRATE_H
#define TUNEDECK_LIVESCORE_LIVECALIBRATE_H

#include "livescore/livecorpus.h"

#include <string>
#include <vector>

namespace tunedeck::livescore {

// One second that showed a key.
struct ConfidenceSample {
    const LiveFile *file = nullptr;
    profile::LiveConfidenceFeatures features;
    double weight = 0; // its note time, files of a set and the sets weighing alike
    double right = 0;  // the share of that time shown the annotated key
};

std::vector<ConfidenceSample> confidenceSamples(const std::vector<LiveFile> &files,
                                                const profile::TrackerOptions &options);

// Weighted logistic regression of being right on the calibration's inputs; inputs left out
// of `free` stay 0.
profile::LiveCalibrationWeights fitLiveCalibration(const std::vector<ConfidenceSample> &samples,
                                                       const std::vector<bool> &included,
                                                       const std::array<bool, profile::LiveCalibrationInputs> &free);

// Prints the reliability, per set and overall, of the uncalibrated and of the calibrated
// confidence, each file's calibration fitted without its fold; then the weights fitted on all.
profile::LiveCalibrationWeights calibrationReport(const std::vector<LiveFile> &files,
                                                      const profile::TrackerOptions &options, int folds,
                                                      bool table);

// The same choice of inputs and fit, without the tables.
profile::LiveCalibrationWeights fitChosenCalibration(const std::vector<LiveFile> &files,
                                                     const profile::TrackerOptions &options, int folds);

// The weights as the header the tracker is built with (fittedlivecalibration.h), the inputs
// chosen over `folds` folds.
std::string liveCalibrationHeader(const profile::LiveCalibrationWeights &weights, int folds);

} // namespace tunedeck::livescore

#endif
