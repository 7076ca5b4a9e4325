#include "core/profile/calibration.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tunedeck::profile {

namespace {

// The shares to a power from their logs relative to the largest (so tiny shares neither
// underflow nor overflow), scaled to sum 1; returns the largest one's share of the result.
double powered(const std::array<double, 24> &logs, double power, std::array<double, 24> &out)
{
    double sum = 0;
    for (std::size_t k = 0; k < 24; ++k)
        sum += out[k] = std::exp(power * logs[k]);
    for (double &s : out)
        s /= sum;
    return 1 / sum;
}

} // namespace

double firstLogOdds(const std::array<double, 24> &shares)
{
    const auto first = std::max_element(shares.begin(), shares.end());
    double others = 0;
    for (auto s = shares.begin(); s != shares.end(); ++s)
        others += s == first ? 0.0 : *s;
    if (!(*first > 0))
        return 0;
    return others > 0 ? std::log(*first / others) : std::numeric_limits<double>::infinity();
}

double calibratedConfidence(double logOdds, const Calibration &calibration)
{
    if (std::isinf(logOdds))
        return logOdds > 0 ? 1.0 : 0.0;
    return 1 / (1 + std::exp(-(calibration.intercept + calibration.slope * logOdds)));
}

double windowConfidence(double share, const Calibration &calibration)
{
    constexpr double Bound = 12;
    const double logOdds = share <= 0 ? -Bound : share >= 1 ? Bound : std::log(share / (1 - share));
    return calibratedConfidence(std::clamp(logOdds, -Bound, Bound), calibration);
}

std::array<double, 24> calibratedShares(const std::array<double, 24> &shares, const Calibration &calibration)
{
    std::array<double, 24> out{};
    const double largest = *std::max_element(shares.begin(), shares.end());
    if (!(largest > 0))
        return out;
    std::array<double, 24> logs;
    for (std::size_t k = 0; k < 24; ++k)
        logs[k] = shares[k] > 0 ? std::log(shares[k] / largest) : -std::numeric_limits<double>::infinity();
    const double logOdds = firstLogOdds(shares);
    if (std::isinf(logOdds)) { // the first key alone
        powered(logs, 1, out);
        return out;
    }
    // The first key's share grows with the power: bisect the power's log between bounds
    // that keep the shares apart (at 0 all keys would tie) and finite.
    const double wanted = calibratedConfidence(logOdds, calibration);
    double lo = std::log(1e-3), hi = std::log(1e3);
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (powered(logs, std::exp(mid), out) < wanted ? lo : hi) = mid;
    }
    powered(logs, std::exp((lo + hi) / 2), out);
    return out;
}

} // namespace tunedeck::profile
