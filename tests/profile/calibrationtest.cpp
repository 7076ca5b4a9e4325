// The calibration of the confidences keeps the keys' order and their sum, and on the shared
// corpus (when present) says how often the key is right.
#include "core/profile/calibration.h"
#include "core/profile/profileanalysis.h"
#include "keyscore/calibration.h"
#include "keyscore/corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace tunedeck;
using namespace tunedeck::profile;
using namespace tunedeck::keyscore;

namespace {

using Shares = std::array<double, 24>;

// Shares summing to 1: the given ones at the front keys, the rest spread over the others.
Shares shares(std::initializer_list<double> first, double rest = 0)
{
    Shares s{};
    std::copy(first.begin(), first.end(), s.begin());
    const std::size_t others = 24 - first.size();
    for (std::size_t k = first.size(); k < 24; ++k)
        s[k] = rest / double(others);
    return s;
}

} // namespace

TEST(Calibration, KeepsOrderAndSum)
{
    const struct {
        const char *name;
        Shares shares;
    } cases[] = {
        {"sure", shares({0.999999, 1e-7, 1e-9}, 8.99e-7)},
        {"two keys", shares({0.55, 0.44}, 0.01)},
        {"torn", shares({0.3, 0.29, 0.28}, 0.13)},
        {"second alone", shares({0.7, 0.3})},
        {"tiny rest", shares({0.9, 0.1 - 22e-300}, 22e-300)},
        {"first alone", shares({1.0})},
    };
    const Calibration calibrations[] = {{}, {0, 1}, {2, 0.2}, {-1, 2}};
    for (const auto &c : cases)
        for (const Calibration &calibration : calibrations) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << calibration.intercept << " + " << calibration.slope);
            const Shares out = calibratedShares(c.shares, calibration);
            EXPECT_NEAR(std::accumulate(out.begin(), out.end(), 0.0), 1.0, 1e-12);
            for (std::size_t i = 0; i < 24; ++i) {
                if (c.shares[i] == 0) {
                    EXPECT_EQ(out[i], 0);
                }
                for (std::size_t j = 0; j < 24; ++j) {
                    if (c.shares[i] > c.shares[j]) {
                        EXPECT_GE(out[i], out[j]) << i << " over " << j;
                    }
                }
            }
            EXPECT_GT(out[0], out[1]); // the first key stays first
            if (calibration.intercept == 0 && calibration.slope == 1) {
                for (std::size_t i = 0; i < 24; ++i)
                    EXPECT_NEAR(out[i], c.shares[i], 1e-9);
            }
            // The first gets its calibrated confidence unless the power's bounds stop it.
            const double wanted = calibratedConfidence(firstLogOdds(c.shares), calibration);
            if (wanted > 0.2 && wanted < 0.9999) {
                EXPECT_NEAR(out[0], wanted, 1e-6);
            }
        }
}

// Cross-validated as the tool does it, and as built: both within 3 points of how often the
// key is right. A model changed without fitting the calibration again fails the second.
TEST(Calibration, CorpusConfidencesMatchAccuracy)
{
    std::vector<std::string> warnings;
    const std::vector<CorpusFile> files = loadCorpus(TUNEDECK_CORPUS, warnings);
    if (files.empty())
        GTEST_SKIP() << "no shared corpus at " << TUNEDECK_CORPUS;
    const std::vector<CalibrationSample> samples = calibrationSamples(files, AnalysisOptions{});
    ASSERT_GT(samples.size(), 200u);
    EXPECT_LE(reliability(samples, crossValidated(samples, 5)).ece, 0.03);
    EXPECT_LE(reliability(samples, std::vector<Calibration>(samples.size())).ece, 0.03);
}
