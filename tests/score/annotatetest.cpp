// The analysis written into a score: each mark where the reader places the chord's onset,
// the numerals in their key, refusals in words, and the notes unchanged when read again.
#include "scoretext.h"

#include "core/annotate/annotatedscore.h"
#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace tunedeck::annotate {
namespace {

using score::test::note;
using score::test::onePart;

std::unique_ptr<pugi::xml_document> parsed(const std::string &text)
{
    auto doc = std::make_unique<pugi::xml_document>();
    EXPECT_TRUE(doc->load_string(text.c_str()));
    return doc;
}

// Where each harmony of a placement stands: "measure:next note" ("2:E4"), with "+offset" when
// it has one; "end" when no note follows it in its measure.
std::vector<std::string> spots(const std::string &text, const char *placement)
{
    const auto doc = parsed(text);
    std::vector<std::string> out;
    for (pugi::xpath_node h : doc->select_nodes("//harmony")) {
        if (std::string_view(h.node().attribute("placement").as_string()) != placement)
            continue;
        pugi::xml_node n = h.node().next_sibling("note");
        std::string at = std::string(h.node().parent().attribute("number").as_string()) + ":";
        if (!n)
            at += "end";
        else if (n.child("rest"))
            at += "rest";
        else
            at += std::string(n.child("pitch").child_value("step")) + n.child("pitch").child_value("octave");
        if (h.node().child("offset"))
            at += std::string("+") + h.node().child_value("offset");
        out.push_back(at);
    }
    return out;
}

HarmonyMark mark(std::int64_t tick)
{
    HarmonyMark m;
    m.tick = tick;
    m.chord = {0, harmony::Quality::Major, 0};
    m.root = {'C', 0};
    m.numerals = parseNumeral("I");
    m.key = *parseKey("C major");
    return m;
}

struct PlaceCase {
    const char *what;
    std::string measures;
    std::vector<std::int64_t> ticks;
    std::vector<std::string> spots;
};

TEST(AnnotatedScore, EachMarkStandsWhereTheReaderPlacesItsOnset)
{
    const std::string divisions = "<attributes><divisions>1</divisions></attributes>";
    const PlaceCase cases[] = {
        {"notes in a row", "<measure number=\"1\">" + divisions + note("C4", 1) + note("D4", 1) + note("E4", 2) + "</measure>",
         {0, 480, 960}, {"1:C4", "1:D4", "1:E4"}},
        {"inside a held note: an offset", "<measure number=\"1\">" + divisions + note("C4", 4) + "</measure>",
         {960}, {"1:C4+2"}},
        {"a second voice after a backup", "<measure number=\"1\">" + divisions + note("C5", 4)
             + "<backup><duration>4</duration></backup>" + note("rest", 2) + note("E4", 2) + "</measure>",
         {960}, {"1:E4"}},
        {"before a chord's first note", "<measure number=\"1\">" + divisions + note("C4", 4) + note("E4", 4, "<chord/>")
             + "</measure>",
         {0}, {"1:C4"}},
        {"forward, then an offset in the divisions then", "<measure number=\"1\">" + divisions + note("C4", 4)
             + "</measure><measure number=\"2\"><attributes><divisions>4</divisions></attributes>"
             + "<forward><duration>8</duration></forward>" + note("G4", 8) + "</measure>",
         {1920 + 720, 1920 + 960}, {"2:G4+6", "2:G4"}},
        {"before the grace notes", "<measure number=\"1\">" + divisions + note("C4", 2)
             + note("D4", 0, "<grace/>") + note("E4", 2) + "</measure>",
         {960}, {"1:D4"}},
        {"a pickup", "<measure number=\"0\" implicit=\"yes\">" + divisions + note("G4", 1) + "</measure><measure number=\"1\">"
             + note("C5", 4) + "</measure>",
         {0, 480}, {"0:G4", "1:C5"}},
        {"triplets", "<measure number=\"1\"><attributes><divisions>3</divisions></attributes>" + note("C4", 1)
             + note("D4", 1) + note("E4", 1) + note("F4", 9) + "</measure>",
         {160, 320, 480}, {"1:D4", "1:E4", "1:F4"}},
    };
    for (const PlaceCase &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<HarmonyMark> marks;
        for (std::int64_t t : c.ticks)
            marks.push_back(mark(t));
        const Result<std::string> written = annotatedScore(onePart(c.measures), marks);
        ASSERT_TRUE(written) << written.error().reason;
        EXPECT_EQ(spots(*written, "above"), c.spots);
        EXPECT_EQ(spots(*written, "below"), c.spots);
    }
}

TEST(AnnotatedScore, SymbolsGoOnTheFirstPartsTopStaffNumeralsOnTheLastPartsLowest)
{
    const std::string piano = "<measure number=\"1\"><attributes><divisions>1</divisions><staves>2</staves></attributes>"
                              + note("E5", 4) + "<backup><duration>4</duration></backup>"
                              + note("rest", 2, "<staff>2</staff>") + note("C3", 2, "<staff>2</staff>") + "</measure>";
    const std::string voice = "<measure number=\"1\"><attributes><divisions>2</divisions></attributes>" + note("rest", 4)
                              + note("G5", 4) + "</measure>";
    const std::string text = "<score-partwise version=\"3.1\"><part-list><score-part id=\"V\"/><score-part id=\"P\"/>"
                             "</part-list><part id=\"V\">" + voice + "</part><part id=\"P\">" + piano
                             + "</part></score-partwise>";
    HarmonyMark m = mark(960);
    m.keyChanges = true;
    const Result<std::string> written = annotatedScore(text, {m});
    ASSERT_TRUE(written) << written.error().reason;
    const auto doc = parsed(*written);
    EXPECT_STREQ(doc->select_node("//part[@id='V']//harmony").node().next_sibling("note").child("pitch").child_value("step"), "G");
    const pugi::xml_node numeral = doc->select_node("//part[@id='P']//harmony").node();
    EXPECT_STREQ(numeral.attribute("placement").as_string(), "below");
    EXPECT_STREQ(numeral.child_value("staff"), "2");
    EXPECT_STREQ(numeral.next_sibling("note").child("pitch").child_value("step"), "C");
    const pugi::xml_node key = doc->select_node("//part[@id='P']//direction").node();
    EXPECT_STREQ(key.child("direction-type").child_value("words"), "C major:");
    EXPECT_STREQ(key.child_value("staff"), "2");
    EXPECT_STREQ(doc->document_element().attribute("version").as_string(), "4.0");
    EXPECT_FALSE(doc->select_node("//part[@id='V']//numeral"));
}

TEST(AnnotatedScore, NumeralsAndKeysAreReadAsTheAnalysisWritesThem)
{
    const auto text = [](const std::vector<NumeralDegree> &ns) {
        std::string out;
        for (const NumeralDegree &n : ns)
            out.append(out.empty() ? "" : " ").append(std::to_string(n.degree)).append(n.lower ? "l" : "u").append(std::to_string(n.alter));
        return out;
    };
    const std::pair<const char *, const char *> numerals[] = {
        {"I", "1u0"}, {"viio7", "7l0"}, {"bVI6", "6u-1"}, {"#ivø7", "4l1"}, {"V7/V", "5u0 5u0"}, {"viio65/ii", "7l0 2l0"},
        {"", ""}, {"X", ""},
    };
    for (const auto &[roman, expected] : numerals)
        EXPECT_EQ(text(parseNumeral(roman)), expected) << roman;
    const std::tuple<const char *, int, bool> keys[] = {
        {"C major", 0, false}, {"A minor", 0, true}, {"Db major", -5, false}, {"D# minor", 6, true},
        {"Cb major", -7, false}, {"F# major", 6, false}, {"Bb minor", -5, true},
    };
    for (const auto &[name, fifths, minor] : keys) {
        const auto key = parseKey(name);
        ASSERT_TRUE(key) << name;
        EXPECT_EQ(key->fifths, fifths) << name;
        EXPECT_EQ(key->minor, minor) << name;
    }
}

// I IV ii7 V7 I V7 I I in C major, a bar each, four times: the analysis' own chords, written back.
std::string cadences()
{
    const std::string one = note("C3", 4) + note("E4", 4, "<chord/>") + note("G4", 4, "<chord/>") + note("C5", 4, "<chord/>");
    const std::string five = note("G3", 4) + note("F4", 4, "<chord/>") + note("B4", 4, "<chord/>") + note("D5", 4, "<chord/>");
    const std::string bars[] = {
        one, note("F3", 4) + note("F4", 4, "<chord/>") + note("A4", 4, "<chord/>") + note("C5", 4, "<chord/>"),
        note("D3", 4) + note("F4", 4, "<chord/>") + note("A4", 4, "<chord/>") + note("C5", 4, "<chord/>"),
        five, one, five, one, one,
    };
    std::string measures;
    for (int n = 0; n < 32; ++n)
        measures += "<measure number=\"" + std::to_string(n + 1) + "\">"
                    + (n == 0 ? "<attributes><divisions>1</divisions><key><fifths>0</fifths></key></attributes>" : "")
                    + bars[n % 8] + "</measure>";
    return onePart(measures);
}

TEST(AnnotatedScore, TheAnalysisOfACadenceReadsBackWithTheSameNotes)
{
    const std::string score = cadences();
    LinkedTonalyte engine;
    const FileAnalysis analysis = analyseBytes(engine, score, {});
    const Result<std::string> written = annotatedScore(score, analysis, {});
    ASSERT_TRUE(written) << written.error().reason;
    const auto doc = parsed(*written);
    std::string symbols, numerals;
    for (pugi::xpath_node h : doc->select_nodes("//measure[@number<5]/harmony")) {
        if (pugi::xml_node root = h.node().child("root"))
            symbols += std::string(root.child_value("root-step")) + h.node().child("kind").attribute("text").as_string() + " ";
        else
            numerals += std::string(h.node().child("numeral").child("numeral-root").attribute("text").as_string()) + " ";
    }
    EXPECT_EQ(symbols, "C F Dm7 G7 ");
    EXPECT_EQ(numerals, "I IV ii7 V7 ");
    EXPECT_EQ(doc->select_nodes("//direction").size(), 1u); // the key named once: it never changes
    const auto before = score::readScore(score, {}), after = score::readScore(*written, {});
    ASSERT_TRUE(before && after);
    EXPECT_EQ(score::midiBytes(*after), score::midiBytes(*before));
}

TEST(AnnotatedScore, TheScoreKeptByTheAnalysisIsWrittenAsTheScoreReadAgain)
{
    const std::string score = cadences();
    LinkedTonalyte engine;
    AnalysisChoices keeping;
    keeping.withScorePlaces = true;
    const FileAnalysis kept = analyseBytes(engine, score, keeping);
    ASSERT_TRUE(kept.placed);
    const FileAnalysis plain = analyseBytes(engine, score, {});
    EXPECT_FALSE(plain.placed);
    const Result<std::string> fromKept = annotatedScore(score, kept, {}), readAgain = annotatedScore(score, plain, {});
    ASSERT_TRUE(fromKept && readAgain);
    EXPECT_EQ(*fromKept, *readAgain);
}

// The text around the marks stays as it was, but for the root's version (4.0, for
// <numeral>) and, from another encoding than UTF-8, the text as UTF-8.
TEST(AnnotatedScore, OnlyTheVersionChangesAroundTheMarks)
{
    const std::string body = "<part-list><score-part id=\"P1\"/></part-list><part id=\"P1\"><measure number=\"1\">"
                             "<attributes><divisions>1</divisions></attributes>\n  <note><pitch><step>C</step>"
                             "<octave>4</octave></pitch><duration>4</duration></note>\n</measure></part></score-partwise>";
    const std::string symbol = "<harmony placement=\"above\"><root><root-step>C</root-step></root>"
                               "<kind text=\"\">major</kind></harmony>\n  ";
    const auto withMark = [&](const std::string &head) {
        std::string text = head + body;
        text.insert(text.find("<note>"), symbol);
        return text;
    };
    HarmonyMark m = mark(0);
    m.numerals.clear();
    const std::pair<std::string, std::string> cases[] = {
        {"<!-- kept -->\n<score-partwise version=\"3.1\">" + body, "<!-- kept -->\n<score-partwise version=\"4.0\">"},
        {"<score-partwise>" + body, "<score-partwise version=\"4.0\">"},
        {"<score-partwise id='x >' version='2.0'>" + body, "<score-partwise id='x >' version='4.0'>"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><score-partwise>" + body, "<?xml version=\"1.0\"?><score-partwise version=\"4.0\">"},
    };
    for (const auto &[input, head] : cases) {
        const Result<std::string> written = annotatedScore(input, {m});
        ASSERT_TRUE(written) << written.error().reason;
        EXPECT_EQ(*written, withMark(head)) << input;
    }
}

TEST(AnnotatedScore, WhatCannotBeAnnotatedIsRefusedInWords)
{
    const std::string score = cadences();
    LinkedTonalyte engine;
    const FileAnalysis analysis = analyseBytes(engine, score, {});
    AnalysisChoices unfolded, transposed;
    unfolded.unfoldRepeats = true;
    transposed.fast.adjust.transpose = 2;
    const std::pair<Result<std::string>, const char *> refused[] = {
        {annotatedScore(score::midiBytes(*score::readScore(score, {})), analysis, {}), "it is not a score"},
        {annotatedScore(score, analysis, unfolded), "without unfolding repeats"},
        {annotatedScore(score, analysis, transposed), "without transposing"},
        {annotatedScore(onePart("<measure number=\"1\"><attributes><divisions>0</divisions></attributes></measure>"),
                        analysis, {}),
         "divisions of 0"},
    };
    for (const auto &[result, words] : refused) {
        ASSERT_FALSE(result) << words;
        EXPECT_NE(result.error().reason.find(words), std::string::npos) << result.error().reason;
    }
}

} // namespace
} // namespace tunedeck::annotate
