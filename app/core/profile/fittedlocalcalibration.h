// Written by `cmake --build build --target fit-tables` (tunedeck-keyscore --fit-tables)
// from the shared corpus (60 bach, 100 pop909, 145 wir songs, 200 wir textbook examples, 28799 windows):
// weighted logistic regression of each window's local key being the key annotated there
// (the chorales' one key) on the log odds of its probability given the piece; every
// window weighs its note time, every file of a set and every set alike; the analysis at its
// defaults with the fitted tables in force. Reliability in docs/PROFILE-ANALYSIS.md.
#ifndef TUNEDECK_CORE_PROFILE_FITTEDLOCALCALIBRATION_H
#define TUNEDECK_CORE_PROFILE_FITTEDLOCALCALIBRATION_H

namespace tunedeck::profile {

inline constexpr double FittedLocalCalibrationIntercept = -0.4135;
inline constexpr double FittedLocalCalibrationSlope = 0.2735;

} // namespace tunedeck::profile

#endif
