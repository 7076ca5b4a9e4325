// The live confidence's map from what the tracker knows, its fit, and on the shared corpus
// (when present) how often the key shown is right against the confidence shown.
#include "core/profile/livecalibration.h"
#include "livescore/livecalibrate.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tunedeck;
using namespace tunedeck::profile;
using namespace tunedeck::livescore;

namespace {

double logistic(double z)
{
    return 1 / (1 + std::exp(-z));
}

} // namespace

TEST(LiveCalibration, MapsWhatTheTrackerKnows)
{
    const struct {
        const char *name;
        LiveConfidenceFeatures features;
        LiveCalibrationWeights weights;
        double confidence;
    } cases[] = {
        {"identity", {0.3, 5, 9, 0.5, 0.1, 1}, UncalibratedLive, 0.3},
        {"identity, certain", {1.0, 0, 0, 0, 0, 0}, UncalibratedLive, logistic(12)},
        {"identity, hopeless", {0.0, 0, 0, 0, 0, 0}, UncalibratedLive, logistic(-12)},
        {"steady", {0.5, int(std::round(std::exp(2.0) - 1)), 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0, 0},
         logistic(std::log(std::round(std::exp(2.0)))) },
        {"no time before the start", {0.5, -3, -3, 0, 0, 0}, {0.5, 0, 1, 1, 0, 0, 0, 2}, logistic(2.5)},
        {"fit and agreement", {0.5, 0, 0, 0.6, -0.2, 0.25}, {-1, 0, 0, 0, 2, 3, 4}, logistic(-1 + 1.2 - 0.6 + 1)},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(liveConfidence(c.features, c.weights), c.confidence, 1e-12) << c.name;
}

// Seconds drawn on a grid whose share right is exactly the logistic function of known
// weights: the fit finds them, and leaves the inputs it is not given at 0.
TEST(LiveCalibration, FitFindsTheWeights)
{
    const struct {
        LiveCalibrationWeights weights;
        std::array<bool, LiveCalibrationInputs> free;
    } cases[] = {
        {UncalibratedLive, {true, true, true, true, true, true, true, true}},
        {{-1.6, 0.15, 0.55, -0.33, 2.5, 1.1, 1.2, -3.2}, {true, true, true, true, true, true, true, true}},
        {{1, 0.5, 0, -0.3, 0, 0, 0, 0}, {true, true, false, true, false, false, false, false}},
    };
    for (const auto &c : cases) {
        std::vector<ConfidenceSample> samples;
        std::vector<bool> included;
        for (double p : {0.05, 0.3, 0.6, 0.9, 0.999})
            for (int steady : {0, 3, 20})
                for (int heard : {1, 3, 10, 100})
                    for (double r : {-0.2, 0.4, 0.8})
                        for (double agreement : {0.0, 0.5, 1.0}) {
                            const LiveConfidenceFeatures f{p, std::min(steady, heard), heard, r, r * agreement - 0.1,
                                                             agreement};
                            samples.push_back({nullptr, f, 1.0 + heard % 7, liveConfidence(f, c.weights)});
                            included.push_back(true);
                            // Seconds left out of the fit, whatever they say, change nothing.
                            samples.push_back({nullptr, f, 5, p > 0.5 ? 0.0 : 1.0});
                            included.push_back(false);
                        }
        const LiveCalibrationWeights fitted = fitLiveCalibration(samples, included, c.free);
        for (std::size_t i = 0; i < LiveCalibrationInputs; ++i)
            EXPECT_NEAR(fitted[i], c.weights[i], 1e-4) << "input " << i;
    }
}

// As built, the confidence shown on the corpus is on average what the share right is, every
// set weighing alike; a tracker changed without fitting the calibration again fails this.
TEST(LiveCalibration, CorpusConfidenceMatchesAccuracy)
{
    std::vector<std::string> warnings;
    const std::vector<LiveFile> files = loadLiveCorpus(TUNEDECK_CORPUS, warnings);
    if (files.empty())
        GTEST_SKIP() << "no shared corpus at " << TUNEDECK_CORPUS;
    double weight = 0, confidence = 0, right = 0;
    for (const ConfidenceSample &s : confidenceSamples(files, TrackerOptions{})) {
        weight += s.weight;
        confidence += s.weight * liveConfidence(s.features);
        right += s.weight * s.right;
    }
    ASSERT_GT(weight, 0);
    EXPECT_NEAR(confidence / weight, right / weight, 0.01);
}
