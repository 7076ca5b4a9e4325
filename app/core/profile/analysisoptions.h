// The profile analysis' options: the global key's model and the local keys'. Their defaults
// are the best on the shared corpus (docs/PROFILE-ANALYSIS.md, tunedeck-keyscore).
#ifndef TUNEDECK_CORE_PROFILE_ANALYSISOPTIONS_H
#define TUNEDECK_CORE_PROFILE_ANALYSISOPTIONS_H

#include "core/profile/calibration.h"
#include "core/profile/fittedlocalcalibration.h"
#include "core/profile/keyhmm.h"
#include "core/profile/keyprofiles.h"
#include "core/profile/windowchords.h"

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
    // (fittedchordevidence.h) times these weights, added to the log emissions of the workspace's
    // windows, to those the rates are judged by (none: with them the pop songs lose), and,
    // summed over the windows merged, to those of the slow path.
    double chordWeight = 0.5;
    double chordRateWeight = 0;
    double chordSlowWeight = 0.3;
    ChordFinding chordFinding;
    std::optional<harmony::KeyChordTable> chordEvidence; // in place of the fitted one
    // Each window's key is as sure as the model that found it says at a higher temperature
    // (every log probability times this: neighbouring windows share harmony), calibrated on
    // the corpus' annotated keys (fittedlocalcalibration.h).
    double confidenceTemper = 1.5;
    Calibration calibration{FittedLocalCalibrationIntercept, FittedLocalCalibrationSlope};
};

// The defaults are the best on the shared corpus (docs/PROFILE-ANALYSIS.md, tunedeck-keyscore).
struct AnalysisOptions {
    Profile profile = Profile::Fitted;
    double stay = 0.995; // the global key's model: probability that the key stays for a window
    int windowQuarters = 2; // the workspace's windows: the local keys' steps
    int globalQuarters = 8; // the global key's windows, merged from the workspace's

    double sharpness = 7;            // a window emits exp(sharpness * correlation)
    double bassWeight = 0;           // ticks as lowest note, counted again on top of sounding ticks
    double finalBassHint = 8;        // log bonus at the last window for keys on the final bass note
    double fifthsFalloff = 0;        // key changes weighed by exp(-falloff * circle-of-fifths distance)
    double confidenceSharpness = 7;  // the sharpness of the model that gives the confidences
    double ambiguousRatio = 0.5;     // ambiguous when the second key holds this share of the first's time
    Calibration calibration;         // from the keys' shares of the note time to the confidences
    std::optional<ProfileWeights> weights; // in place of the profile's (profile fitting)
    LocalKeyOptions local;
};

} // namespace tunedeck::profile

#endif
