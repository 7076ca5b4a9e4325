// The network's forward pass against PyTorch's on the same weights and inputs
// (keymodelreference.h, written with fittedkeymodel.h by tools/keymodel/export.py).
#include "core/keymodel/keynetwork.h"
#include "core/keymodel/layers.h"
#include "keymodelreference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace tunedeck::keymodel;
namespace reference = tunedeck::keymodel::reference;

namespace {

struct Head {
    const char *name;
    std::size_t classes;
    std::vector<float> NetworkOutputs::*computed;
    const float *probabilities; // the reference's, all sequences
    const int *decisions;
};
const Head Heads[] = {
    {"key", KeyClasses, &NetworkOutputs::key, reference::Key, reference::KeyDecision},
    {"root", RootClasses, &NetworkOutputs::root, reference::Root, reference::RootDecision},
    {"quality", QualityClasses, &NetworkOutputs::quality, reference::Quality, reference::QualityDecision},
    {"bass", BassClasses, &NetworkOutputs::bass, reference::Bass, reference::BassDecision},
};

TEST(KeyNetwork, GivesPyTorchsProbabilitiesAndDecisionsOnEachSequence)
{
    std::size_t first = 0; // the sequence's first frame in the reference
    for (const int length : reference::SequenceFrames) {
        const std::size_t frames = std::size_t(length);
        SCOPED_TRACE(testing::Message() << frames << " frames");
        const NetworkOutputs out =
            runNetwork(std::span(reference::Inputs + first * InputCount, frames * InputCount), frames);
        ASSERT_EQ(out.frames, frames);
        for (const Head &h : Heads) {
            const std::vector<float> &p = out.*h.computed;
            ASSERT_EQ(p.size(), frames * h.classes) << h.name;
            const float *expected = h.probabilities + first * h.classes;
            double worst = 0;
            std::size_t worstAt = 0;
            for (std::size_t i = 0; i < p.size(); ++i)
                if (const double d = std::abs(double(p[i]) - expected[i]); d > worst)
                    worst = d, worstAt = i;
            EXPECT_LE(worst, 1e-4) << h.name << ", frame " << worstAt / h.classes << ", class " << worstAt % h.classes;
            for (std::size_t t = 0; t < frames; ++t)
                EXPECT_EQ(decision(std::span(p).subspan(t * h.classes, h.classes)), h.decisions[first + t])
                    << h.name << ", frame " << t;
        }
        first += frames;
    }
    EXPECT_EQ(first, reference::Frames);
}

// The page and a processor without AVX2 run four lanes: the same bits, so every front end
// prints the same confidences.
TEST(KeyNetwork, FourLanesGiveTheSameBitsAsEight)
{
    const std::size_t frames = reference::Frames;
    const std::span inputs(reference::Inputs, frames * InputCount);
    const NetworkOutputs wide = runNetwork(inputs, frames);
    layers::useFourLanes(true);
    const NetworkOutputs narrow = runNetwork(inputs, frames);
    layers::useFourLanes(false);
    for (const Head &h : Heads)
        EXPECT_EQ(wide.*h.computed, narrow.*h.computed) << h.name;
}

TEST(KeyNetwork, NoFramesGiveNothingAndAShortInputIsRefused)
{
    const NetworkOutputs out = runNetwork({}, 0);
    EXPECT_EQ(out.frames, 0u);
    EXPECT_TRUE(out.key.empty() && out.root.empty() && out.quality.empty() && out.bass.empty());
    EXPECT_THROW(runNetwork(std::span(reference::Inputs, InputCount), 2), std::invalid_argument);
}

TEST(KeyNetwork, DecisionTakesTheLowerClassOnATie)
{
    const struct {
        std::vector<float> probabilities;
        int expected;
    } cases[] = {
        {{0.2f, 0.4f, 0.4f}, 1},
        {{0.5f, 0.1f, 0.5f}, 0},
        {{0.1f, 0.3f, 0.6f}, 2},
        {{}, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(decision(c.probabilities), c.expected) << testing::PrintToString(c.probabilities);
}

} // namespace
