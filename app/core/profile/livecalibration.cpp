#include "core/profile/livecalibration.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::profile {

std::array<double, LiveCalibrationInputs> liveCalibrationInputs(const LiveConfidenceFeatures &f)
{
    constexpr double Limit = 12;
    const double p = std::clamp(f.probability, 0.0, 1.0);
    const double logOdds = p <= 0 ? -Limit : p >= 1 ? Limit : std::clamp(std::log(p / (1 - p)), -Limit, Limit);
    return {1, logOdds, std::log1p(std::max(0, f.steadySeconds)), std::log1p(std::max(0, f.heardSeconds)),
            f.correlation, f.lead, f.agreement, 1.0 / (1 + std::max(0, f.heardSeconds))};
}

double liveConfidence(const LiveConfidenceFeatures &features, const LiveCalibrationWeights &weights)
{
    const auto x = liveCalibrationInputs(features);
    double z = 0;
    for (std::size_t i = 0; i < LiveCalibrationInputs; ++i)
        z += weights[i] * x[i];
    return 1 / (1 + std::exp(-z));
}

} // namespace tunedeck::profile
