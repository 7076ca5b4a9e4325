// The local keys' confidence: each window's probability of its key against the key annotated
// there (the file's one key where nothing is annotated), its calibration fitted and checked.
#ifndef TUNEDECK_KEYSCORE_WINDOWCALIBRATION_H
#define TUNEDECK_KEYSCORE_WINDOWCALIBRATION_H

#include "keyscore/corpus.h"

#include "core/profile/profileanalysis.h"

#include <string>
#include <vector>

namespace tunedeck::keyscore {

struct WindowSample {
    double share = 0;  // the window's key's probability, before calibration
    double right = 0;  // share of the window's annotated note time in that key
    double weight = 0; // its note time, every file of a set and every set weighing alike
    std::size_t file = 0;
};

// The windows of every file with a key to score against, from each file's analysis.
std::vector<WindowSample> windowSamples(const std::vector<CorpusFile> &files,
                                        const std::vector<profile::ProfileAnalysis> &analyses);

// Weighted logistic regression of being right on the log odds of the share.
profile::Calibration fitWindowCalibration(const std::vector<WindowSample> &samples, const std::vector<bool> &included);

// Reliability by tenths of the confidence, before and with the calibration fitted without the
// file's fold (the files' groups kept together), per set and overall; the fit on all last.
void printWindowCalibration(const std::vector<CorpusFile> &files, const std::vector<WindowSample> &samples, int folds);

} // namespace tunedeck::keyscore

#endif
