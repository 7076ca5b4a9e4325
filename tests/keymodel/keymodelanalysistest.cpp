// The network's place in a file's analysis: its key path and the windows' keys taken from it,
// and a whole run with it: the same global key, local keys that tile the piece, chords in them.
#include "core/analysis/analysisjson.h"
#include "core/analysis/fileanalysis.h"
#include "core/base/keycodes.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "core/keymodel/keymodelanalysis.h"
#include "core/keymodel/keymodelinputs.h"
#include "core/keymodel/keynetwork.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

using namespace tunedeck;
using namespace tunedeck::keymodel;

namespace {

// Frames' key probabilities: each frame all on one key but `share` spread evenly elsewhere.
std::vector<float> framesOn(const std::vector<int> &keys, float share = 0.9f)
{
    std::vector<float> p(keys.size() * KeyClasses, (1 - share) / (KeyClasses - 1));
    for (std::size_t f = 0; f < keys.size(); ++f)
        p[f * KeyClasses + std::size_t(keys[f])] = share;
    return p;
}

TEST(KeyModelAnalysis, KeyPathFollowsFramesOrPaysForChanges)
{
    const std::vector<int> blip{0, 0, 0, 7, 0, 0, 9, 9, 9, 9};
    EXPECT_EQ(keyPath(framesOn(blip), blip.size(), 0), blip);
    // A lone frame elsewhere does not pay two changes; four frames pay one.
    EXPECT_EQ(keyPath(framesOn(blip), blip.size(), 8), (std::vector<int>{0, 0, 0, 0, 0, 0, 9, 9, 9, 9}));
    // An even frame takes the lower key.
    std::vector<float> even(KeyClasses, 0.0f);
    even[5] = even[17] = 0.5f;
    EXPECT_EQ(keyPath(even, 1, 0), std::vector<int>{5});
    EXPECT_TRUE(keyPath({}, 0, 4).empty());
}

TEST(KeyModelAnalysis, WindowsTakeTheKeyTheirFramesHoldLongest)
{
    // Frames of 4 ticks from tick -2 against windows of 4: each window half in two frames.
    chords::ChordFrames frames;
    frames.start = -2;
    frames.length = 4;
    const std::vector<int> keys{2, 2, 14, 14, 14};
    profile::ProfileAnalysis fallback;
    fallback.windowKeys.assign(6, keyCodeAt(0));
    fallback.windowShares.assign(6, 0.5f);
    const WindowKeys w = windowKeys(frames, keys, framesOn(keys, 0.8f), 4, fallback);
    // Window 1 ([4, 8)) holds 2 ticks of key 2 and 2 of key 14: the lower wins the tie.
    EXPECT_EQ(w.keyCodes, (std::vector<int>{keyCodeAt(2), keyCodeAt(2), keyCodeAt(14), keyCodeAt(14), keyCodeAt(14),
                                            keyCodeAt(0)}));
    EXPECT_FLOAT_EQ(w.shares[0], 0.8f);
    EXPECT_FLOAT_EQ(w.shares[5], 0.5f); // past the frames: the fallback's
}

TEST(KeyModelAnalysis, RunWithTheNetworkKeepsTheKeyAndTilesThePiece)
{
    std::ifstream in(std::string(TUNEDECK_TEST_EXAMPLES) + "/twinkle-modulating.mid", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(bytes.empty());
    LinkedTonalyte engine;
    AnalysisChoices choices;
    const FileAnalysis present = analyseBytes(engine, bytes, choices);
    installKeyModel(); // as the command and Python do
    choices.keyNetwork = true;
    const FileAnalysis network = analyseBytes(engine, bytes, choices);
    ASSERT_TRUE(present.profile && network.profile);
    EXPECT_EQ(network.profile->keyCode, present.profile->keyCode);
    EXPECT_EQ(network.profile->candidates.size(), present.profile->candidates.size());
    EXPECT_EQ(network.run.reports.overall.top().code, present.run.reports.overall.top().code);
    const auto &regions = network.profile->regions;
    ASSERT_FALSE(regions.empty());
    EXPECT_EQ(regions.front().startTick, 0);
    EXPECT_EQ(regions.back().endTick, present.profile->regions.back().endTick);
    for (std::size_t i = 0; i < regions.size(); ++i) {
        EXPECT_TRUE(isKeyCode(regions[i].keyCode));
        if (i > 0) {
            EXPECT_EQ(regions[i].startTick, regions[i - 1].endTick);
            EXPECT_NE(regions[i].keyCode, regions[i - 1].keyCode);
        }
    }
    for (float c : network.profile->windowConfidences)
        EXPECT_TRUE(c > 0 && c <= 1);
    ASSERT_FALSE(network.chords.empty());
    // The chords are read in the network's local keys.
    std::set<int> keys;
    for (const auto &region : regions)
        keys.insert(region.keyCode);
    for (const auto &chord : network.chords)
        EXPECT_TRUE(keys.contains(chord.keyCode)) << chord.tick;
    // Saved results say which local keys they hold; without the network the field is absent.
    EXPECT_EQ(analysisJson(network)["profileAnalysis"]["keyNetwork"], true);
    EXPECT_FALSE(analysisJson(present)["profileAnalysis"].contains("keyNetwork"));
}

} // namespace
