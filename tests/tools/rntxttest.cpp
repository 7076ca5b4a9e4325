// The annotated chords read from a RomanText analysis: each numeral in its key as the chord
// the measures compare, and each chord placed on the score's own measures.
#include "chordscore/chordmeasures.h"
#include "chordscore/numeralchords.h"
#include "chordscore/rntxtreference.h"

#include "core/base/keycodes.h"
#include "core/score/scorereader.h"

#include <gtest/gtest.h>

using namespace tunedeck;
using namespace tunedeck::chordscore;
namespace fs = std::filesystem;

namespace {

constexpr int C = keyCodeOf(0, false), Cm = keyCodeOf(0, true), Am = keyCodeOf(9, true);

TEST(RomanTextNumerals, NameTheChordInTheirKey)
{
    const struct {
        const char *figure;
        int key;
        const char *label;
    } cases[] = {
        {"I", C, "C:maj"},          {"I6", C, "C:maj/3"},          {"I64", C, "C:maj/5"},
        {"i6", Am, "A:min/b3"},     {"V7", C, "G:7"},              {"V65", C, "G:7/3"},
        {"V6/5", C, "G:7/3"},       {"V43", C, "G:7/5"},           {"V42", C, "G:7/b7"},
        {"V2", C, "G:7/b7"},        {"V9", C, "G:7"},              {"ii7", C, "D:min7"},
        {"I7", C, "C:maj7"},        {"IVM7", C, "F:maj7"},         {"IVmaj7", C, "F:maj7"},
        {"IV7", Am, "D:7"},         {"VI7", Am, "F:maj7"},         {"III+7", Am, "C:aug(7)"},
        {"V+7", C, "G:aug(b7)"},    {"V+", C, "G:aug"},            {"viio", C, "B:dim"},
        {"viio7", Am, "G#:dim7"},   {"viio65", Am, "G#:dim7/b3"},  {"vii%7", C, "B:hdim7"},
        {"viiø7", C, "B:hdim7"},    {"ii/o7", C, "D:hdim7"},       {"iiø65", Cm, "D:hdim7/b3"},
        {"VII", Am, "G:maj"},       {"vi", Am, "F#:min"},          {"VI", Am, "F:maj"},
        {"bVII", Am, "G:maj"},      {"bVI", C, "Ab:maj"},          {"#ivo7", C, "F#:dim7"},
        {"V7/V", C, "D:7"},         {"viio7/ii", C, "C#:dim7"},    {"V65/iv", Am, "A:7/3"},
        {"V/V/vi", C, "B:maj"},     {"iiø65/bVII", Am, "A:hdim7/b3"}, {"N6", Cm, "Db:maj/3"},
        {"N", C, "Db:maj"},         {"It6", C, "Ab:7"},            {"Ger65", Am, "F:7"},
        {"Ger7", C, "Ab:7"},        {"Fr43", C, "Ab:7"},           {"Ger43", C, "Ab:7/3"},
        {"Cad64", C, "C:maj/5"},    {"Cad64", Cm, "C:min/5"},      {"Cad64/V", C, "G:maj/5"},
        {"V65[no5]", C, "G:7/3"},
    };
    for (const auto &c : cases) {
        const auto read = labelOfNumeral(c.figure, c.key);
        ASSERT_TRUE(std::holds_alternative<NumeralLabel>(read)) << c.figure;
        // As the measures read them: spelt either way, the same tones over the same bass.
        const auto said = encodeHarte(std::get<NumeralLabel>(read).label), meant = encodeHarte(c.label);
        ASSERT_TRUE(said && meant) << c.figure;
        EXPECT_EQ(*said, *meant) << c.figure << " in " << c.key << ": " << std::get<NumeralLabel>(read).label;
    }
}

TEST(RomanTextNumerals, LeaveOutWhatTheyCannotName)
{
    const struct {
        const char *figure;
        int key;
        const char *kind;
    } cases[] = {
        {"V54", C, "figure 54"},
        {"I[no3][add2][add4]", C, "tones added, omitted or altered in brackets"},
        {"Ger42", C, "augmented sixth, other figure"},
        {"Vb9", C, "altered tone in the figure"},
        {"V/N", C, "applied to an unread numeral"},
        {"X", C, "unknown numeral"},
        {"V", NoKey, "no key before it"},
    };
    for (const auto &c : cases) {
        const auto read = labelOfNumeral(c.figure, c.key);
        ASSERT_TRUE(std::holds_alternative<NumeralLeftOut>(read)) << c.figure;
        EXPECT_EQ(std::get<NumeralLeftOut>(read).kind, c.kind) << c.figure;
    }
}

struct Row {
    std::int64_t start, end;
    std::string label;
    int key;
    friend bool operator==(const Row &, const Row &) = default;
};
std::ostream &operator<<(std::ostream &out, const Row &r)
{
    return out << r.start << "-" << r.end << " " << r.label << " " << r.key;
}

// A score of empty measures numbered as given, in one meter, the first a pickup of pickup ticks.
std::string emptyScore(const std::vector<std::string> &numbers, int beats, int beatType, int pickup)
{
    const int bar = beats * 4 * 480 / beatType; // divisions of 480 a quarter
    std::string xml = R"(<?xml version="1.0"?><score-partwise version="4.0"><part-list><score-part id="P1">)"
                      R"(<part-name>P</part-name></score-part></part-list><part id="P1">)";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const int length = i == 0 && pickup > 0 ? pickup : bar;
        xml += "<measure number=\"" + numbers[i] + "\"" + (i == 0 && pickup > 0 ? " implicit=\"yes\"" : "") + ">";
        if (i == 0)
            xml += "<attributes><divisions>480</divisions><time><beats>" + std::to_string(beats) + "</beats><beat-type>" +
                   std::to_string(beatType) + "</beat-type></time></attributes>";
        xml += "<note><rest/><duration>" + std::to_string(length) + "</duration></note></measure>";
    }
    return xml + "</part></score-partwise>";
}

TEST(RomanTextPlaces, ChordsStandOnTheScoresMeasures)
{
    const struct {
        const char *what;
        std::string score;
        const char *text;
        std::vector<Row> rows;
    } cases[] = {
        {"a pickup the score numbers 1, in 6/8: beats are dotted quarters, repeats in the key in force",
         emptyScore({"1", "2", "3", "4"}, 6, 8, 240),
         "Time Signature: 6/8\nm0 b2.66 G: V7\nm1 I b2 IV64\nm2 e: V b2.5 i\nm3 = m1\n",
         {{0, 240, "D:7", 167}, {240, 960, "G:maj", 167}, {960, 1680, "C:maj/5", 167}, {1680, 2760, "B:maj", 64},
          {2760, 3120, "E:min", 64}, {3120, 3840, "E:maj", 64}, {3840, 4560, "A:maj/5", 64}}},
        {"second endings the score numbers on; a pivot chord as first read; the chord held into a repeat",
         emptyScore({"1", "2", "3", "4", "5", "6"}, 4, 4, 0),
         "m1 C: I\nm2a V\nm2b IV b3 V\nm3 C: IV || F: I\nm5 = m4\n",
         {{0, 1920, "C:maj", 160}, {1920, 3840, "G:maj", 160}, {3840, 4800, "F:maj", 160},
          {4800, 5760, "G:maj", 160}, {5760, 9600, "F:maj", 160}, {9600, 11520, "F:maj", 165}}},
        {"a full first measure the score numbers 0, the analysis 1",
         emptyScore({"0", "1"}, 2, 4, 0),
         "m1 g: i b2 V7\nm2 VI\n",
         {{0, 480, "G:min", 67}, {480, 960, "D:7", 67}, {960, 1920, "Eb:maj", 67}}},
        {"a slow 3/8 counts eighths",
         emptyScore({"1", "2"}, 3, 8, 0),
         "Time Signature: slow 3/8\nm1 a: i b3 V\nm2 i\n",
         {{0, 480, "A:min", 69}, {480, 720, "E:maj", 69}, {720, 1440, "A:min", 69}}},
    };
    for (const auto &c : cases) {
        const Result<score::Score> read = score::readScore(c.score, {});
        ASSERT_TRUE(read) << c.what;
        const romantext::MeasurePlaces places(score::layoutOf(*read), 480);
        RomanTextTally tally;
        std::vector<Row> rows;
        for (const ChordRow &r : romanTextRows(readRomanText(c.text), places, 0, tally))
            rows.push_back({r.start, r.end, r.label, r.keyCode});
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

// A song whose score numbers its pickup 1: the analysis' m0 stands on the pickup, and its
// chords on the notes they name.
TEST(RomanTextPlaces, ASharedSongsPickup)
{
    const fs::path shared = TUNEDECK_SHARED_DIR;
    const fs::path set = shared / "corpus" / "wir";
    const fs::path scores = shared / "scores" / "corpus-wir";
    if (!fs::exists(set / "chords.tsv") || !fs::exists(scores))
        GTEST_SKIP() << "no shared corpus";
    std::vector<std::string> warnings;
    std::vector<ChordFile> files = loadChordFiles({set}, true, warnings, {scores});
    const std::string name = "Lieder-Schumann_Robert-Dichterliebe_Op_48-02_Aus_meinen_Tranen_sprieen.mid";
    std::erase_if(files, [&](const ChordFile &f) { return f.file.name != name; });
    ASSERT_EQ(files.size(), 1u);
    RomanTextTally tally;
    useRomanText(files, {scores}, tally, warnings);
    ASSERT_EQ(tally.files, 1);
    // m0 b2.5 A: I / m1 I b1.5 I42 b2 vi b2.5 I64 / m2 IV, in 2/4 after a pickup of an eighth.
    std::vector<Row> first;
    for (std::size_t i = 0; i < 6 && i < files[0].reference.size(); ++i) {
        const ChordRow &r = files[0].reference[i];
        first.push_back({r.start, r.end, r.label, r.keyCode});
    }
    const int A = keyCodeOf(9, false);
    const std::vector<Row> expected = {{0, 240, "A:maj", A},        {240, 480, "A:maj", A},   {480, 720, "A:maj7/7", A},
                                       {720, 960, "F#:min", A},      {960, 1200, "A:maj/5", A}, {1200, 1680, "D:maj", A}};
    EXPECT_EQ(first, expected);
}

} // namespace
