// How well the confidences the analysis shows match how often its whole-file key is right,
// cross-validated, and the fit of the calibration (app/core/profile/calibration.h).
#ifndef TUNEDECK_KEYSCORE_CALIBRATION_H
#define TUNEDECK_KEYSCORE_CALIBRATION_H

#include "keyscore/corpus.h"

#include "core/profile/profileanalysis.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck::keyscore {

// One file's uncalibrated key shares and its labelled key.
struct CalibrationSample {
    std::string set;
    std::string group;           // files of one piece (art songs: one composer) stay in one fold
    std::array<double, 24> shares{};
    int label = 0;               // key index
};

// Files whose label is the key of the whole file: the pop songs, the chorales and the art
// songs of wir/ (its textbook examples are labelled with the key they start in).
std::optional<CalibrationSample> calibrationSample(const CorpusFile &file, const profile::ProfileAnalysis &analysis);
std::vector<CalibrationSample> calibrationSamples(const std::vector<CorpusFile> &files,
                                                  const profile::AnalysisOptions &options);

// One observation of a calibration's fit: a share's log odds, how right it was (0..1), its weight.
struct LogisticPoint {
    double x, right, weight;
};
// The calibration with the least weighted log loss, by Newton's method from start; ridge
// keeps the steps defined when the points hardly vary.
profile::Calibration fitLogistic(const std::vector<LogisticPoint> &points, profile::Calibration start, double ridge);

// The calibration with the least log loss of the first key's confidence, over the included samples.
profile::Calibration fitCalibration(const std::vector<CalibrationSample> &samples, const std::vector<bool> &included);

struct ReliabilityBin {
    int files = 0;
    double confidence = 0; // mean confidence shown
    double right = 0;      // share of files whose key is the label
};
struct Reliability {
    std::array<ReliabilityBin, 10> bins; // by confidence decile
    double ece = 0;                      // |confidence - right| of the bins, weighted by files
    double confidence = 0, right = 0;
    int files = 0;
};
// Each sample with its own calibration (cross-validation gives each fold its own).
Reliability reliability(const std::vector<CalibrationSample> &samples, const std::vector<profile::Calibration> &calibrations,
                        const std::string &set = {});

// Fold of every sample: whole groups, the largest first into the fold with fewest files.
std::vector<int> groupFolds(const std::vector<CalibrationSample> &samples, int folds);

// Every sample's calibration fitted on the folds it is not in; perFold, if given, gets each fold's.
std::vector<profile::Calibration> crossValidated(const std::vector<CalibrationSample> &samples, int folds,
                                                     std::vector<profile::Calibration> *perFold = nullptr);

// The reliability tables before calibration and with the calibration fitted on the other folds.
void printCalibration(const std::vector<CalibrationSample> &samples, int folds);

} // namespace tunedeck::keyscore

#endif
