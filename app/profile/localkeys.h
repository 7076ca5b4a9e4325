// The local keys: an HMM over the 24 keys in short steps (the workspace's windows), key
// changes weighed by where they go, and a change rate chosen for each piece from a few: the
// one under which the piece's notes are likeliest, given a prior leaning to faster rates. Pop songs keep one
// key for minutes, songs modulate every few bars and harmony exercises every bar or two; a
// single rate suits none of them all.
#ifndef TUNEDECK_PROFILE_LOCALKEYS_H
#define TUNEDECK_PROFILE_LOCALKEYS_H

#include "profile/calibration.h"
#include "profile/chords.h"
#include "profile/fittedlocalcalibration.h"
#include "profile/keyhmm.h"

#include <optional>
#include <vector>

namespace tunedeck::profile {

// The defaults are chosen by grouped cross-validation on the shared corpus (docs/PROFILE-ANALYSIS.md).
struct LocalKeyOptions {
    double sharpness = 5;        // a window emits exp(sharpness * correlation) at a rate of 1/64...
    double sharpnessGrowth = 0.2; // ...times (rate * 64)^growth: faster keys read from fewer notes
    double finalBassHint = 2;    // log bonus at the last window for keys on the final bass note
    // Key changes per quarter note tried for each piece; empty: AnalysisOptions::stay per
    // global window.
    std::vector<double> changeRates = {1.0 / 4096, 1.0 / 1024, 1.0 / 256, 1.0 / 64, 1.0 / 32, 1.0 / 16, 1.0 / 8, 1.0 / 4};
    double rateSharpness = 0.7;  // the sharpness of the emissions the rates are judged by
    double rateBonus = 0.5;      // log bonus per doubling of the rate (the rates' prior)
    double coarseBelow = 1.0 / 256; // rates up to this are followed in the global key's windows
    std::optional<ChangeWeights> changes; // in place of the fitted ones (fittedchanges.h)
    // Each window's chord as evidence for the keys: its log probability in the key
    // (fittedchords.h) times these weights, added to the log emissions of the workspace's
    // windows, to those the rates are judged by (none: with them the pop songs lose), and,
    // summed over the windows merged, to those of the slow path.
    double chordWeight = 0.5;
    double chordRateWeight = 0;
    double chordSlowWeight = 0.3;
    ChordFinding chordFinding;
    std::optional<ChordTable> chords; // in place of the fitted ones
    // Each window's key is as sure as the model that found it says at a higher temperature
    // (every log probability times this: neighbouring windows share harmony), calibrated on
    // the corpus' annotated keys (fittedlocalcalibration.h).
    double confidenceTemper = 1.5;
    Calibration calibration{FittedLocalCalibrationIntercept, FittedLocalCalibrationSlope};
};

// Key changes by relation, fitted on the corpus' annotated key changes (fittedchanges.h).
const ChangeWeights &fittedChanges();

struct LocalKeys {
    std::vector<int> keys;  // key index per window
    std::vector<double> shares; // per window: its key's probability given the piece, before calibration
    double changeRate = 0;  // the rate chosen, key changes per quarter note
};

struct AnalysisOptions;

// The local keys with options.local; with a rate at or below options.local.coarseBelow they
// are found as the global key is, in windows of options.globalQuarters (and
// AnalysisOptions::stay when options.local.changeRates is empty).
LocalKeys localKeys(const KeyWorkspace &workspace, const KeyTemplates &templates, const AnalysisOptions &options);

// The workspace's windows merged by whole numbers into windows of about `quarters`.
std::vector<WindowDurations> mergedWindows(const KeyWorkspace &workspace, int quarters);

} // namespace tunedeck::profile

#endif
