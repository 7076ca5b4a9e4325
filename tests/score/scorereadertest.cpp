// The notes, measures and signatures read from small scores, one feature a row.
#include "scoretext.h"

#include "core/score/scorereader.h"

#include <gtest/gtest.h>

namespace tunedeck::score {
namespace {

using test::note;
using test::notesText;
using test::onePart;

const std::string Div1 = "<attributes><divisions>1</divisions></attributes>";
const std::string Div2 = "<attributes><divisions>2</divisions></attributes>";

struct NotesCase {
    const char *what;
    std::string measures;
    std::string notes; // of part P1, as notesText writes them
    std::string scorePart = "<part-name>Piano</part-name>";
};

class ReadNotes : public ::testing::TestWithParam<NotesCase> {};

TEST_P(ReadNotes, AsWritten)
{
    const NotesCase &c = GetParam();
    const Result<Score> score = readScore(onePart(c.measures, c.scorePart), {});
    ASSERT_TRUE(score) << score.error().reason;
    ASSERT_EQ(score->parts.size(), 1u);
    EXPECT_EQ(notesText(score->parts[0].notes), c.notes);
}

const NotesCase notesCases[] = {
    {"pitches and their spelling",
     "<measure number=\"1\">" + Div1 + note("C4", 1) + note("F#4", 1) + note("Bb3", 1) + note("E#5", 1)
         + "</measure><measure number=\"2\">" + note("Cbb4", 1) + note("B#3", 1) + note("A0", 1) + note("C8", 1) + "</measure>",
     "0+480:60:C4 480+480:66:F#4 960+480:58:Bb3 1440+480:77:E#5 "
     "1920+480:58:Cbb4 2400+480:60:B#3 2880+480:21:A0 3360+480:108:C8"},
    {"rests take their time",
     "<measure>" + Div2 + note("rest", 3) + note("D4", 1) + note("rest", 2) + note("E4", 2) + "</measure>",
     "720+240:62:D4 1440+480:64:E4"},
    {"divisions change within a measure",
     "<measure>" + Div2 + note("C4", 1) + "<attributes><divisions>8</divisions></attributes>" + note("D4", 2)
         + note("E4", 8) + "</measure>",
     "0+240:60:C4 240+120:62:D4 360+480:64:E4"},
    {"backup and forward place a second voice",
     "<measure>" + Div1 + note("C5", 2, "<voice>1</voice>") + note("D5", 2, "<voice>1</voice>")
         + "<backup><duration>4</duration></backup><forward><duration>1</duration></forward>"
         + note("C4", 3, "<voice>2</voice>") + "</measure>",
     "0+960:72:C5 480+1440:60:C4 960+960:74:D5"},
    {"chords take the first note's onset",
     "<measure>" + Div1 + note("C4", 2) + note("E4", 2, "<chord/>") + note("G4", 1, "<chord/>") + note("A4", 2)
         + "</measure>",
     "0+960:60:C4 0+960:64:E4 0+480:67:G4 960+960:69:A4"},
    {"ties merged across the barline",
     "<measure>" + Div1 + note("rest", 3) + note("G4", 1, "<tie type=\"start\"/>") + "</measure><measure>"
         + note("G4", 2, "<tie type=\"stop\"/><tie type=\"start\"/>") + note("G4", 1, "<tie type=\"stop\"/>")
         + note("G4", 1) + "</measure>",
     "1440+1920:67:G4 3360+480:67:G4"},
    {"a tie drawn only with notations is a tie too",
     "<measure>" + Div1 + note("A4", 1, "<notations><tied type=\"start\"/></notations>")
         + note("A4", 1, "<notations><tied type=\"stop\"/></notations>") + "</measure>",
     "0+960:69:A4"},
    {"a tie to another pitch does not join",
     "<measure>" + Div1 + note("A4", 1, "<tie type=\"start\"/>") + note("B4", 1, "<tie type=\"stop\"/>") + "</measure>",
     "0+480:69:A4 480+480:71:B4"},
    {"triplets by their durations",
     "<measure>" + std::string("<attributes><divisions>3</divisions></attributes>") + note("C4", 1) + note("D4", 1)
         + note("E4", 1) + "<attributes><divisions>5</divisions></attributes>" + note("F4", 1) + note("G4", 4)
         + "</measure>",
     "0+160:60:C4 160+160:62:D4 320+160:64:E4 480+96:65:F4 576+384:67:G4"},
    {"grace notes take no time and are left out",
     "<measure>" + Div1 + note("D4", 0, "<grace/>") + note("F4", 0, "<grace/><chord/>") + note("C4", 1)
         + note("E4", 0, "<grace slash=\"yes\"/>") + "</measure>",
     "0+480:60:C4"},
    {"cue notes take time but do not sound",
     "<measure>" + Div1 + note("C4", 1, "<cue/>") + note("D4", 1) + "</measure>", "480+480:62:D4"},
    {"a transposing instrument sounds at concert pitch, spelled as written",
     "<measure><attributes><divisions>1</divisions><transpose><diatonic>-1</diatonic><chromatic>-2</chromatic>"
     "</transpose></attributes>"
         + note("D5", 1) + note("F#4", 1)
         + "<attributes><transpose><chromatic>0</chromatic><octave-change>-1</octave-change></transpose></attributes>"
         + note("E4", 1) + "</measure>",
     "0+480:72:D5 480+480:64:F#4 960+480:52:E4"},
    {"staves of one part are one part",
     "<measure><attributes><divisions>1</divisions><staves>2</staves></attributes>"
         + note("E5", 4, "<staff>1</staff>") + "<backup><duration>4</duration></backup>"
         + note("C3", 2, "<staff>2</staff>") + note("G2", 2, "<staff>2</staff>") + "</measure>",
     "0+960:48:C3 0+1920:76:E5 960+960:43:G2"},
    {"unpitched notes sound their instrument's drum",
     "<measure>" + Div1 + "<note><unpitched><display-step>C</display-step><display-octave>5</display-octave>"
         "</unpitched><duration>1</duration><instrument id=\"P1-I2\"/></note>"
         "<note><unpitched><display-step>F</display-step><display-octave>4</display-octave></unpitched>"
         "<duration>1</duration><instrument id=\"P1-I1\"/></note></measure>",
     "0+480:38:C5 480+480:35:F4",
     "<part-name>Drums</part-name><score-instrument id=\"P1-I1\"/><score-instrument id=\"P1-I2\"/>"
     "<midi-instrument id=\"P1-I1\"><midi-channel>10</midi-channel><midi-unpitched>36</midi-unpitched></midi-instrument>"
     "<midi-instrument id=\"P1-I2\"><midi-channel>10</midi-channel><midi-unpitched>39</midi-unpitched></midi-instrument>"},
    {"no divisions counts one a quarter note", "<measure>" + note("C4", 4) + "</measure>", "0+1920:60:C4"},
    {"decimal divisions and durations",
     "<measure><attributes><divisions>2.0</divisions></attributes>" + note("C4", 1) + "<note><pitch><step>D</step>"
         "<octave>4</octave></pitch><duration>1.5</duration></note>" + note("E4", 1) + "</measure>",
     "0+240:60:C4 240+360:62:D4 600+240:64:E4"},
    {"a quarter-tone alter sounds its nearest semitone",
     "<measure>" + Div1 + "<note><pitch><step>D</step><alter>-0.5</alter><octave>4</octave></pitch><duration>1"
         "</duration></note></measure>",
     "0+480:62:D4"},
};

INSTANTIATE_TEST_SUITE_P(Rows, ReadNotes, ::testing::ValuesIn(notesCases));

TEST(ReadScore, ShortFirstMeasureIsAPickupWithItsPrintedNumbers)
{
    const std::string text = onePart("<measure number=\"0\" implicit=\"yes\"><attributes><divisions>1</divisions>"
                                      "<time><beats>3</beats><beat-type>4</beat-type></time></attributes>"
                                      + note("G4", 1) + "</measure><measure number=\"1\">" + note("C5", 3)
                                      + "</measure><measure number=\"1a\" implicit=\"yes\">" + note("D5", 2)
                                      + "</measure><measure number=\"2\">" + note("E5", 1) + "</measure>");
    const Result<Score> score = readScore(text, {});
    ASSERT_TRUE(score) << score.error().reason;
    EXPECT_TRUE(score->pickup);
    std::string measures;
    for (const Measure &m : score->measures)
        measures += m.number + "@" + std::to_string(m.tick) + "+" + std::to_string(m.length) + (m.implicit ? "i " : " ");
    // The last measure is filled to its meter: an empty beat is still a beat.
    EXPECT_EQ(measures, "0@0+480i 1@480+1440 1a@1920+960i 2@2880+480 ");
    std::vector<std::size_t> noteMeasures;
    for (const Note &n : score->parts[0].notes)
        noteMeasures.push_back(n.measure);
    EXPECT_EQ(noteMeasures, (std::vector<std::size_t>{0, 1, 2, 3}));
}

TEST(ReadScore, FullFirstMeasureIsNoPickup)
{
    const Result<Score> score = readScore(
        onePart("<measure number=\"1\"><attributes><divisions>1</divisions><time><beats>2</beats><beat-type>4"
                "</beat-type></time></attributes>" + note("G4", 2) + "</measure>"),
        {});
    ASSERT_TRUE(score);
    EXPECT_FALSE(score->pickup);
}

TEST(ReadScore, TemposMetersAndKeysAtTheirTicks)
{
    const std::string text = onePart(
        "<measure><attributes><divisions>2</divisions><key><fifths>-5</fifths><mode>major</mode></key>"
        "<time><beats>3+2</beats><beat-type>8</beat-type></time></attributes>"
        "<direction><direction-type><metronome><beat-unit>quarter</beat-unit><beat-unit-dot/><per-minute>c. 60"
        "</per-minute></metronome></direction-type></direction>"
        + note("C4", 5) + "</measure><measure><attributes><key><fifths>3</fifths><mode>minor</mode></key>"
        "<time><beats>2</beats><beat-type>2</beat-type></time></attributes>" + note("C4", 2)
        + "<direction><direction-type><words>Presto</words></direction-type><sound tempo=\"150\"/></direction>"
        + note("C4", 2) + "<sound tempo=\"100\"/>" + note("C4", 4) + "</measure>");
    const Result<Score> score = readScore(text, {});
    ASSERT_TRUE(score) << score.error().reason;
    ASSERT_EQ(score->tempos.size(), 3u);
    EXPECT_EQ(score->tempos[0].tick, 0);
    EXPECT_DOUBLE_EQ(score->tempos[0].quartersPerMinute, 90.0);
    EXPECT_EQ(score->tempos[1].tick, 1200 + 480);
    EXPECT_DOUBLE_EQ(score->tempos[1].quartersPerMinute, 150.0);
    EXPECT_EQ(score->tempos[2].tick, 1200 + 960);
    ASSERT_EQ(score->times.size(), 2u);
    EXPECT_EQ(std::make_tuple(score->times[0].beats, score->times[0].beatType), std::make_tuple(5, 8));
    EXPECT_EQ(std::make_tuple(score->times[1].tick, score->times[1].beats, score->times[1].beatType),
              std::make_tuple(std::int64_t(1200), 2, 2));
    ASSERT_EQ(score->keys.size(), 2u);
    EXPECT_EQ(std::make_tuple(score->keys[0].fifths, score->keys[0].minor), std::make_tuple(-5, false));
    EXPECT_EQ(std::make_tuple(score->keys[1].tick, score->keys[1].fifths, score->keys[1].minor),
              std::make_tuple(std::int64_t(1200), 3, true));
}

TEST(ReadScore, ATransposingPartsKeyIsItsConcertKey)
{
    const Result<Score> score = readScore(
        onePart("<measure><attributes><divisions>1</divisions><key><fifths>2</fifths></key><transpose><chromatic>-2"
                "</chromatic></transpose></attributes>" + note("D5", 1) + "</measure>"),
        {});
    ASSERT_TRUE(score);
    ASSERT_EQ(score->keys.size(), 1u);
    EXPECT_EQ(score->keys[0].fifths, 0);
}

TEST(ReadScore, PartsInTheOrderOfThePartList)
{
    const std::string text =
        "<score-partwise><part-list><score-part id=\"B\"><part-name>Bass</part-name><midi-instrument id=\"B1\">"
        "<midi-program>33</midi-program></midi-instrument></score-part><score-part id=\"A\"><part-name>Alto"
        "</part-name></score-part></part-list>"
        "<part id=\"A\"><measure>" + Div1 + note("A4", 1) + "</measure></part>"
        "<part id=\"B\"><measure>" + Div1 + note("rest", 1) + note("A2", 1) + "</measure></part>"
        "<part id=\"C\"><measure>" + Div1 + note("A3", 3) + "</measure></part></score-partwise>";
    const Result<Score> score = readScore(text, {});
    ASSERT_TRUE(score) << score.error().reason;
    ASSERT_EQ(score->parts.size(), 3u);
    EXPECT_EQ(score->parts[0].name, "Bass");
    EXPECT_EQ(score->parts[0].program, 32);
    EXPECT_EQ(notesText(score->parts[0].notes), "480+480:45:A2");
    EXPECT_EQ(score->parts[1].name, "Alto");
    EXPECT_EQ(score->parts[2].id, "C");
    // The measures are counted as the first part fills them.
    ASSERT_EQ(score->measures.size(), 1u);
    EXPECT_EQ(score->measures[0].length, 960);
}

} // namespace
} // namespace tunedeck::score
