// Written by `cmake --build build --target fit-tables` (tunedeck-keyscore --fit-tables)
// from the shared corpus (60 bach, 100 pop909, 146 wir art songs): logistic regression of
// the first candidate being the labelled key on the log odds of its share of the note
// time, the analysis at its defaults with the fitted tables in force. Cross-validated
// reliability in docs/PROFILE-ANALYSIS.md.
#ifndef TUNEDECK_CORE_PROFILE_FITTEDCALIBRATION_H
#define TUNEDECK_CORE_PROFILE_FITTEDCALIBRATION_H

namespace tunedeck::profile {

inline constexpr double FittedCalibrationIntercept = 0.8610;
inline constexpr double FittedCalibrationSlope = 0.3655;

} // namespace tunedeck::profile

#endif
