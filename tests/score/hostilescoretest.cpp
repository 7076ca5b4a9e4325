// Damaged, truncated and hostile scores, made here: each refused in plain words, within
// bounds of memory and time.
#include "scoretext.h"
#include "ziptestfile.h"

#include "core/score/scorereader.h"

#include <gtest/gtest.h>

namespace tunedeck::score {
namespace {

using test::note;
using test::onePart;
using test::ZipEntry;
using test::zipOf;

const std::string Div1 = "<attributes><divisions>1</divisions></attributes>";

std::string container(const std::string &root)
{
    return "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"" + root
           + "\" media-type=\"application/vnd.recordare.musicxml+xml\"/></rootfiles></container>";
}

std::string deepScore(int depth)
{
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    return onePart("<measure>" + Div1 + note("C4", 1) + "<direction>" + open + close + "</direction></measure>");
}

std::string manyEntries(std::size_t count)
{
    std::vector<ZipEntry> entries{{"META-INF/container.xml", container("score.xml")},
                                  {"score.xml", onePart("<measure>" + Div1 + note("C4", 1) + "</measure>")}};
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back({std::to_string(i) + ".txt", ""});
    return zipOf(entries);
}

struct Refusal {
    const char *what;
    std::string bytes;
    std::string reason;
};

class Refused : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refused, InPlainWords)
{
    const Refusal &c = GetParam();
    const Result<Score> score = readScore(c.bytes, {});
    ASSERT_FALSE(score) << c.what;
    EXPECT_EQ(score.error().reason, c.reason);
}

const std::string huge(std::size_t(65) << 20, ' ');

const Refusal refusals[] = {
    {"divisions 0", onePart("<measure number=\"1\"><attributes><divisions>0</divisions></attributes>" + note("C4", 1) + "</measure>"),
     "part P1, measure 1: its divisions of 0 a quarter note are not a positive number"},
    {"negative divisions", onePart("<measure number=\"1\"><attributes><divisions>-4</divisions></attributes></measure>"),
     "part P1, measure 1: its divisions of -4 a quarter note are not a positive number"},
    {"a negative duration", onePart("<measure number=\"2\">" + Div1 + note("C4", -1) + "</measure>"),
     "part P1, measure 2: a duration of -1 is negative"},
    {"a huge duration", onePart("<measure number=\"3\">" + Div1 + note("C4", 100000000) + "</measure>"),
     "part P1, measure 3: a duration of 100000000 divisions is longer than 100000 quarter notes"},
    {"a duration beyond any count",
     onePart("<measure number=\"3\">" + Div1 + "<note><pitch><step>C</step><octave>4</octave></pitch><duration>"
             "99999999999999999999</duration></note></measure>"),
     "part P1, measure 3: its duration of 99999999999999999999 is too large"},
    {"a duration that is no number", onePart("<measure number=\"3\">" + Div1 + "<forward><duration>two</duration></forward></measure>"),
     "part P1, measure 3: its duration \"two\" is not a number"},
    {"a backup before the measure", onePart("<measure number=\"4\">" + Div1 + note("C4", 1) + "<backup><duration>2</duration></backup></measure>"),
     "part P1, measure 4: a backup goes back before the measure's start"},
    {"a score longer than a MIDI file counts",
     onePart([] {
         std::string measures;
         for (int i = 0; i < 50; ++i)
             measures += "<measure>" + Div1 + "<forward><duration>100000</duration></forward></measure>";
         return measures;
     }()),
     "it is longer than a MIDI file can count (2147483647 ticks)"},
    {"a DTD declaring entities",
     "<?xml version=\"1.0\"?><!DOCTYPE score-partwise [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
     "<score-partwise><part-list/><part id=\"P1\"><measure><note><pitch><step>C</step><octave>4</octave></pitch>"
     "<duration>1</duration></note></measure><credit>&b;</credit></part></score-partwise>",
     "it declares entities in its DOCTYPE, which are not read"},
    {"deep nesting", deepScore(200), "its elements nest deeper than 64 levels"},
    {"truncated", onePart("<measure>" + Div1 + note("C4", 1) + "</measure>").substr(0, 150),
     "it is not well-formed XML (Start-end tags mismatch at byte 149)"},
    {"a timewise score", "<score-timewise><part-list/></score-timewise>",
     "it is a timewise score; only partwise MusicXML is read"},
    {"other XML", "<?xml version=\"1.0\"?><svg/>", "it is no MusicXML score (its first element is <svg>)"},
    {"no parts", "<score-partwise><part-list/></score-partwise>", "it has no parts"},
    {"no measures", "<score-partwise><part-list/><part id=\"P1\"/></score-partwise>", "it has no measures"},
    {"text too large", "<score-partwise>" + huge, "it is larger than 64 MiB"},
    {"a damaged zip", std::string("PK\x03\x04", 4) + "META-INF/container.xml and nothing else",
     "it is a damaged zip archive"},
    {"a zip without its container", zipOf({{"score.xml", onePart("<measure/>")}}),
     "the compressed score has no META-INF/container.xml naming its root file"},
    {"a container naming no root file", zipOf({{"META-INF/container.xml", "<container><rootfiles/></container>"}}),
     "the compressed score's META-INF/container.xml names no root file"},
    {"a missing root file", zipOf({{"META-INF/container.xml", container("score.xml")}}),
     "the compressed score has no score.xml"},
    {"a root file that unpacks past the bound",
     zipOf({{"META-INF/container.xml", container("score.xml")}, {"score.xml", "<score-partwise>" + huge, true}}),
     "the compressed score's entry score.xml unpacks to more than 64 MiB"},
    // The unpacking stops at the size the directory gives, and the check sum then fails.
    {"a root file whose size the directory understates",
     zipOf({{"META-INF/container.xml", container("score.xml")}, {"score.xml", "<score-partwise>" + huge, true, 100}}),
     "the compressed score's entry score.xml is damaged"},
    {"a damaged entry",
     [] {
         std::string zip = zipOf({{"META-INF/container.xml", container("s.xml")},
                                  {"s.xml", onePart("<measure>" + Div1 + note("C4", 1) + "</measure>"), true}});
         zip[zip.find("s.xml", zip.find("s.xml") + 5) + 20] ^= 0x55; // inside the deflated data
         return zip;
     }(),
     "the compressed score's entry s.xml is damaged"},
    {"a zip of many entries", manyEntries(5000), "the compressed score holds more than 4096 files"},
};

INSTANTIATE_TEST_SUITE_P(Rows, Refused, ::testing::ValuesIn(refusals));

TEST(ScoreFile, ToldApartByContent)
{
    const std::string score = onePart("<measure>" + Div1 + note("C4", 1) + "</measure>");
    const std::string mxl = zipOf({{"META-INF/container.xml", container("s.xml")}, {"s.xml", score, true}});
    EXPECT_TRUE(looksLikeScore(score));
    EXPECT_TRUE(looksLikeScore("\xEF\xBB\xBF<!-- a comment -->\n<!DOCTYPE score-partwise PUBLIC \"x\" \"y\">" + score.substr(22)));
    EXPECT_TRUE(looksLikeScore(mxl));
    EXPECT_TRUE(looksLikeScore(std::string("\xFF\xFE<\0s\0c\0o\0r\0e\0-\0p\0a\0r\0t\0w\0i\0s\0e\0>\0", 34)));
    EXPECT_TRUE(looksLikeScore("<score-timewise>"));
    EXPECT_FALSE(looksLikeScore(std::string("MThd\0\0\0\6", 8)));
    EXPECT_FALSE(looksLikeScore("<?xml version=\"1.0\"?><svg/>"));
    EXPECT_FALSE(looksLikeScore("<score-partwise-not>"));
    EXPECT_FALSE(looksLikeScore(zipOf({{"other.txt", "score-partwise"}})));
    EXPECT_FALSE(looksLikeScore(""));
    const Result<Score> read = readScore(mxl, {});
    ASSERT_TRUE(read) << read.error().reason;
    EXPECT_EQ(read->parts.at(0).notes.size(), 1u);
}

} // namespace
} // namespace tunedeck::score
