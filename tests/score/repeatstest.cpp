// Repeats read as written once, or unfolded: the measures in playing order.
#include "scoretext.h"

#include "core/score/repeats.h"
#include "core/score/scorereader.h"

#include <gtest/gtest.h>

namespace tunedeck::score {
namespace {

Barlines forward() { return {true, 0, {}, false}; }
Barlines backward(int times = 2) { return {false, times, {}, false}; }
Barlines ending(std::vector<int> passes, bool stop, int times = 0) { return {false, times, std::move(passes), stop}; }

struct OrderCase {
    const char *what;
    std::vector<Barlines> barlines;
    std::vector<std::size_t> order;
};

class PlayingOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(PlayingOrder, Unfolded)
{
    EXPECT_EQ(playingOrder(GetParam().barlines), GetParam().order);
}

const OrderCase orderCases[] = {
    {"no repeats", {{}, {}, {}}, {0, 1, 2}},
    {"a repeat from the start", {{}, backward(), {}}, {0, 1, 0, 1, 2}},
    {"a repeat from a forward sign", {{}, forward(), backward(), {}}, {0, 1, 2, 1, 2, 3}},
    {"played three times", {forward(), backward(3)}, {0, 1, 0, 1, 0, 1}},
    {"first and second endings",
     {forward(), {}, ending({1}, true, 2), ending({2}, true), {}},
     {0, 1, 2, 0, 1, 3, 4}},
    {"an ending for two passes, then a third",
     {forward(), ending({1, 2}, true, 2), ending({3}, true), {}},
     {0, 1, 0, 1, 0, 2, 3}},
    {"an ending two measures long",
     {{}, ending({1}, false), ending({}, true, 2), ending({2}, true)},
     {0, 1, 2, 0, 3}},
    {"two repeats in a row, the second without a forward sign",
     {{}, backward(), {}, backward()},
     {0, 1, 0, 1, 2, 3, 2, 3}},
    {"a backward sign whose times never end is bounded",
     {backward(16)},
     std::vector<std::size_t>(16, 0)},
};

INSTANTIATE_TEST_SUITE_P(Rows, PlayingOrder, ::testing::ValuesIn(orderCases));

TEST(Repeats, ReadOnceOrUnfoldedForTheWholeScore)
{
    using test::note;
    const std::string text = test::onePart(
        "<measure number=\"1\"><attributes><divisions>1</divisions></attributes>" + note("C4", 2)
        + "</measure><measure number=\"2\"><barline location=\"left\"><repeat direction=\"forward\"/></barline>"
        + note("D4", 2) + "</measure><measure number=\"3\"><barline location=\"left\"><ending number=\"1\" "
          "type=\"start\"/></barline>" + note("E4", 2, "<tie type=\"start\"/>")
        + "<barline location=\"right\"><ending number=\"1\" type=\"stop\"/><repeat direction=\"backward\"/>"
          "</barline></measure><measure number=\"4\"><barline location=\"left\"><ending number=\"2\" type=\"start\"/>"
          "</barline>" + note("E4", 2, "<tie type=\"stop\"/>")
        + "<barline location=\"right\"><ending number=\"2\" type=\"discontinue\"/></barline></measure>");
    const Result<Score> once = readScore(text, {});
    ASSERT_TRUE(once) << once.error().reason;
    EXPECT_EQ(test::notesText(once->parts[0].notes), "0+960:60:C4 960+960:62:D4 1920+1920:64:E4");
    const Result<Score> unfolded = readScore(text, {true});
    ASSERT_TRUE(unfolded) << unfolded.error().reason;
    // The tie across the first ending does not reach into the second: after the jump, the
    // E of the second ending follows the D.
    EXPECT_EQ(test::notesText(unfolded->parts[0].notes),
              "0+960:60:C4 960+960:62:D4 1920+960:64:E4 2880+960:62:D4 3840+960:64:E4");
    std::string numbers;
    for (const Measure &m : unfolded->measures)
        numbers += m.number + " ";
    EXPECT_EQ(numbers, "1 2 3 2 4 ");
}

} // namespace
} // namespace tunedeck::score
