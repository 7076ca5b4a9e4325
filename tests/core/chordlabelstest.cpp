// The chord lane's choice of names: which chords are named, in which form, without overlap.
#include "core/pianoroll/chordlabels.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace tunedeck;

namespace {

struct LabelCase {
    const char *name;
    std::vector<LabelSpot> spots;
    double laneRight;
    std::vector<int> chosen; // the form's index, -1 for none
};

std::vector<int> indices(const std::vector<std::optional<std::size_t>> &chosen)
{
    std::vector<int> out;
    for (const auto &c : chosen)
        out.push_back(c ? int(*c) : -1);
    return out;
}

class ChooseLabels : public ::testing::TestWithParam<LabelCase> {};

TEST_P(ChooseLabels, ChoosesFormsThatDoNotOverlap)
{
    const LabelCase &c = GetParam();
    const auto chosen = chooseLabels(c.spots, c.laneRight, 2);
    EXPECT_EQ(indices(chosen), c.chosen);
    // Whatever is chosen keeps the gap and the lane's end.
    double end = -1e9;
    for (std::size_t i = 0; i < c.spots.size(); ++i) {
        if (!chosen[i])
            continue;
        EXPECT_GE(c.spots[i].left, end + 2) << i;
        end = c.spots[i].left + c.spots[i].forms[*chosen[i]];
        EXPECT_LE(end, c.laneRight) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lane, ChooseLabels,
    ::testing::Values(
        LabelCase{"all_fit_whole", {{0, 1, {30, 10}}, {40, 1, {30, 10}}, {80, 1, {8}}}, 200, {0, 0, 0}},
        // Two chords 20 apart: the first spills over the second unless shortened.
        LabelCase{"short_form_keeps_both", {{0, 1, {30, 10}}, {20, 1, {30, 10}}}, 200, {1, 0}},
        // Only one fits: the weightier, though it comes second.
        LabelCase{"weightier_wins", {{0, 1, {30, 20}}, {10, 5, {30, 20}}}, 200, {-1, 0}},
        LabelCase{"first_on_a_tie", {{0, 3, {30, 20}}, {10, 3, {30, 20}}}, 200, {0, -1}},
        // A long chord's label upgraded only where the shorter neighbours still fit.
        LabelCase{"upgrade_blocked", {{0, 9, {50, 15}}, {30, 1, {10}}, {60, 1, {10}}}, 200, {1, 0, 0}},
        LabelCase{"no_forms_no_label", {{0, 1, {}}, {5, 1, {10}}}, 200, {-1, 0}},
        LabelCase{"lane_end", {{0, 1, {10}}, {180, 1, {40, 18}}, {195, 1, {10}}}, 200, {0, 1, -1}},
        LabelCase{"exactly_the_gap", {{0, 1, {10}}, {12, 1, {10}}}, 200, {0, 0}},
        LabelCase{"one_short_of_the_gap", {{0, 1, {10}}, {11.5, 2, {10}}}, 200, {-1, 0}}),
    [](const ::testing::TestParamInfo<LabelCase> &info) { return std::string(info.param.name); });

// Many narrow chords, as the whole piece shows them: names spread along the lane, the longest
// chords first, none overlapping.
TEST(ChooseLabels, WholePieceNamesSpreadAlong)
{
    std::vector<LabelSpot> spots;
    for (int i = 0; i < 400; ++i)
        spots.push_back({i * 2.0, i % 20 == 3 ? 5.0 : 1.0, {24, 12}});
    const auto chosen = chooseLabels(spots, 800, 3);
    int named = 0, longNamed = 0;
    for (std::size_t i = 0; i < spots.size(); ++i)
        if (chosen[i]) {
            ++named;
            longNamed += i % 20 == 3;
        }
    // Every long chord named, and one short chord in each stretch between their labels.
    EXPECT_EQ(longNamed, 20);
    EXPECT_EQ(named, 40);
}

TEST(RollChordNames, SymbolWithoutBassAndNumeral)
{
    using harmony::Quality;
    const RollChord inverted{0, 1000, {7, Quality::Dominant7, 4}, 160, {}};
    const RollChordNames n = rollChordNames(inverted);
    EXPECT_EQ(n.symbol, "G7/B");
    EXPECT_EQ(n.withoutBass, "G7");
    EXPECT_EQ(n.numeral, "V65");
    RollChord written = inverted;
    written.written = harmony::WrittenChord{{"Abb", "Cb"}, std::nullopt};
    EXPECT_EQ(rollChordNames(written).withoutBass, "Abb7");
    EXPECT_EQ(rollChordNames({0, 1000, {0, Quality::Major, 0}, 160, {}}).withoutBass, "");
    EXPECT_EQ(rollChordNames({0, 1000, {}, 160, {}}).symbol, "");
}

TEST(LabelWeight, LongerAndSurerCountMore)
{
    const RollChord a{0, 2000, {0, harmony::Quality::Major, 0}, 160, {}, 1, 1, 0.5};
    RollChord longer = a, surer = a;
    longer.endMs = 3000;
    surer.confidence = 0.9;
    EXPECT_GT(labelWeight(longer), labelWeight(a));
    EXPECT_GT(labelWeight(surer), labelWeight(a));
}

} // namespace
