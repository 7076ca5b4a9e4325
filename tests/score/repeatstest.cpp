// Repeats read as written once, or unfolded: the measures in playing order.
#include "scoretext.h"

#include "core/score/repeats.h"
#include "core/score/scorereader.h"

#include <gtest/gtest.h>

namespace tunedeck::score {
namespace {

// Repeat signs and jumps, each added to what its measure already has.
Barlines with(void (*mark)(Barlines &), Barlines b = {})
{
    mark(b);
    return b;
}
Barlines forward() { return with([](Barlines &b) { b.forward = true; }); }
Barlines backward(int times = 2)
{
    Barlines b;
    b.backwardTimes = times;
    return b;
}
Barlines ending(std::vector<int> passes, bool stop, int times = 0)
{
    Barlines b = backward(times);
    b.endingStart = std::move(passes);
    b.endingStop = stop;
    return b;
}
Barlines labelled(std::optional<std::string> Barlines::*mark, std::string label, Barlines b = {})
{
    b.*mark = std::move(label);
    return b;
}
Barlines segno(std::string label = "segno", Barlines b = {}) { return labelled(&Barlines::segno, label, b); }
Barlines dalSegno(std::string label = "segno", Barlines b = {}) { return labelled(&Barlines::dalSegno, label, b); }
Barlines toCoda() { return labelled(&Barlines::toCoda, "coda"); }
Barlines coda() { return labelled(&Barlines::coda, "coda"); }
Barlines daCapo(Barlines b = {}) { return with([](Barlines &m) { m.daCapo = true; }, b); }
Barlines fine() { return with([](Barlines &m) { m.fine = true; }); }
Barlines codaSign() { return with([](Barlines &m) { m.codaSign = true; }); }

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
    {"da capo, to the end", {{}, {}, daCapo()}, {0, 1, 2, 0, 1, 2}},
    {"da capo al fine, the fine passed by before the jump", {{}, fine(), {}, daCapo()}, {0, 1, 2, 3, 0, 1}},
    {"dal segno al fine", {{}, segno(), fine(), {}, dalSegno()}, {0, 1, 2, 3, 4, 1, 2}},
    {"dal segno al coda, the coda passed by before the jump",
     {{}, segno(), toCoda(), {}, dalSegno(), coda(), {}},
     {0, 1, 2, 3, 4, 1, 2, 5, 6}},
    {"after the jump a repeat is taken once", {forward(), backward(), daCapo()}, {0, 1, 0, 1, 2, 0, 1, 2}},
    {"after the jump the ending that leads back is skipped",
     {{}, {}, ending({1}, true, 2), ending({2}, true), daCapo()},
     {0, 1, 2, 0, 1, 3, 4, 0, 1, 3, 4}},
    {"a dal segno at a backward repeat jumps when the repeat is done",
     {segno("segno", forward()), {}, dalSegno("segno", backward()), {}},
     {0, 1, 2, 0, 1, 2, 0, 1, 2, 3}},
    {"the segno of the label named, not the nearest", {segno("A"), segno("B"), dalSegno("A")}, {0, 1, 2, 0, 1, 2}},
    {"two coda signs without sounds: to coda, then the coda",
     {{}, segno(""), codaSign(), dalSegno(), codaSign(), {}},
     {0, 1, 2, 3, 1, 2, 4, 5}},
    {"a dal segno with no segno is passed by", {{}, dalSegno()}, {0, 1}},
    {"a fine with no jump is passed by", {fine(), {}}, {0, 1}},
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

TEST(Repeats, JumpsReadFromTheSoundsOfAnyPart)
{
    using test::note;
    // The jumps marked in the second part only: a segno sign with its sound, a fine, and a
    // dal segno as a bare sound; the first part plays them too.
    std::string first, second;
    for (const char *pitch : {"C4", "D4", "E4", "F4"})
        first += "<measure>" + note(pitch, 2) + "</measure>";
    const std::string marks[] = {"", "<direction><direction-type><segno/></direction-type><sound segno=\"s\"/></direction>",
                                 "<direction><sound fine=\"yes\"/></direction>", "<sound dalsegno=\"s\"/>"};
    for (const std::string &mark : marks)
        second += "<measure>" + mark + note("C3", 2) + "</measure>";
    const std::string text = "<?xml version=\"1.0\"?><score-partwise><part-list><score-part id=\"P1\"/>"
                             "<score-part id=\"P2\"/></part-list><part id=\"P1\">" + first
                             + "</part><part id=\"P2\">" + second + "</part></score-partwise>";
    const Result<Score> once = readScore(text, {});
    ASSERT_TRUE(once) << once.error().reason;
    EXPECT_EQ(once->parts[0].notes.size(), 4u);
    const Result<Score> unfolded = readScore(text, {true});
    ASSERT_TRUE(unfolded) << unfolded.error().reason;
    EXPECT_EQ(test::notesText(unfolded->parts[0].notes),
              "0+960:60:C4 960+960:62:D4 1920+960:64:E4 2880+960:65:F4 3840+960:62:D4 4800+960:64:E4");
}

// A jump written in words reads as its sound does: each row's marks for measures C D E F,
// once as words and once as sounds (where a sound can say it), unfolded the same.
std::string wordsOf(const std::string &text)
{
    return text.empty() || text[0] == '<' ? text
                                          : "<direction><direction-type><words>" + text + "</words></direction-type></direction>";
}

struct WordsCase {
    const char *what;
    std::vector<std::string> words, sounds; // for the four measures; a mark not in < > is words
    const char *played;
};

class JumpsInWords : public ::testing::TestWithParam<WordsCase> {};

TEST_P(JumpsInWords, UnfoldAsTheirSounds)
{
    const WordsCase &c = GetParam();
    const auto played = [](const std::vector<std::string> &marks) {
        std::string measures;
        const char *pitches[] = {"C4", "D4", "E4", "F4"};
        for (std::size_t i = 0; i < 4; ++i)
            measures += "<measure>" + wordsOf(i < marks.size() ? marks[i] : "") + test::note(pitches[i], 2) + "</measure>";
        const Result<Score> read = readScore(test::onePart(measures), {true});
        std::string names;
        for (const Note &n : read ? read->parts[0].notes : std::vector<Note>{})
            names += spelledName(n.spelling);
        return names;
    };
    EXPECT_EQ(played(c.words), c.played);
    if (!c.sounds.empty()) {
        EXPECT_EQ(played(c.sounds), c.played);
    }
}

const std::string segnoSign = "<direction><direction-type><segno/></direction-type></direction>";
const std::string codaSignWritten = "<direction><direction-type><coda/></direction-type></direction>";

const WordsCase wordsCases[] = {
    {"D.C. al Fine", {"", "Fine", "", "D.C. al Fine"}, {"", "<sound fine=\"yes\"/>", "", "<sound dacapo=\"yes\"/>"},
     "C4D4E4F4C4D4"},
    {"da capo in any case, without dots", {"", "", "", "DA CAPO"}, {"", "", "", "<sound dacapo=\"yes\"/>"},
     "C4D4E4F4C4D4E4F4"},
    {"D.S. al Fine in two words' elements, the segno a sign",
     {"", segnoSign, "FINE", "<direction><direction-type><words>D. S.</words><words> al fine</words></direction-type></direction>"},
     {"", "<sound segno=\"s\"/>", "<sound fine=\"yes\"/>", "<sound dalsegno=\"s\"/>"},
     "C4D4E4F4D4E4"},
    {"D.S. al Coda: To Coda beside its sign, the coda a sign",
     {segnoSign, "<direction><direction-type><words>To Coda</words></direction-type><direction-type><coda/>"
                 "</direction-type></direction>", "ds al coda", codaSignWritten},
     {"<sound segno=\"s\"/>", "<sound tocoda=\"c\"/>", "<sound dalsegno=\"s\"/>", "<sound coda=\"c\"/>"},
     "C4D4E4C4D4F4"},
    {"To Coda and Coda both in words", {"", "To Coda", "D.C. al Coda", "Coda"}, {}, "C4D4E4C4D4F4"},
    {"a Fine with no jump changes nothing", {"", "Fine", "", ""}, {}, "C4D4E4F4"},
    {"a sound that says no jump overrules the words",
     {"", "", "", "<direction><direction-type><words>D.C.</words></direction-type><sound dacapo=\"no\"/></direction>"},
     {}, "C4D4E4F4"},
    {"words that only start like a jump are no jump", {"", "", "", "dolce"}, {}, "C4D4E4F4"},
};

INSTANTIATE_TEST_SUITE_P(Rows, JumpsInWords, ::testing::ValuesIn(wordsCases));

} // namespace
} // namespace tunedeck::score
