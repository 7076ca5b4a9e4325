// The chord measures on hand-made label sequences (figures worked out by hand and confirmed
// with mir_eval 0.7's chord.evaluate), the Roman numerals' normalisation on the corpus
// README's own examples, and the key and numeral shares.
#include "chordscore/chordmeasures.h"
#include "chordscore/romannumerals.h"

#include <gtest/gtest.h>

using namespace tunedeck::chordscore;

namespace {

std::vector<ChordRow> rows(std::initializer_list<std::tuple<int, int, const char *>> list)
{
    std::vector<ChordRow> out;
    for (const auto &[start, end, label] : list)
        out.push_back({start, end, label, "", 0, 0.6});
    return out;
}

struct Expected {
    std::array<std::optional<double>, 5> accuracy; // root, majmin, majmin_inv, sevenths, sevenths_inv
    double over, under;
};

void expectMeasures(const std::vector<ChordRow> &reference, const std::vector<ChordRow> &estimate, const Expected &e)
{
    const std::optional<FileMeasures> m = measureFile(reference, estimate);
    ASSERT_TRUE(m);
    for (std::size_t k = 0; k < e.accuracy.size(); ++k) {
        ASSERT_EQ(m->accuracy[k].has_value(), e.accuracy[k].has_value()) << measureName(AllMeasures[k]);
        if (e.accuracy[k]) {
            EXPECT_DOUBLE_EQ(*m->accuracy[k], *e.accuracy[k]) << measureName(AllMeasures[k]);
        }
    }
    EXPECT_DOUBLE_EQ(m->overSegmentation, e.over);
    EXPECT_DOUBLE_EQ(m->underSegmentation, e.under);
}

} // namespace

// Pieces of 2 or 4 ticks: C/C, C/C6 (the estimate's bass wrong), G7 over its third / C6 (root
// wrong), G7/3 / G7, Am / Am7, Fsus4 / Am7. Fsus4 is in the root's gamut only, so root counts
// 10 of 16 ticks and the others of 12: majmin compares up to the fifth (10), majmin_inv also
// the bass (6), sevenths every tone (6), sevenths_inv both (2). The reference's boundaries cut
// the estimate's C6 and Am7 (overseg 12/16), the estimate's cut G7/3 and C (underseg 10/16).
TEST(ChordMeasures, WeighEachPieceByItsTimeWithinTheMeasuresGamut)
{
    expectMeasures(rows({{0, 4, "C:maj"}, {4, 8, "G:7/3"}, {8, 12, "A:min"}, {12, 16, "F:sus4"}}),
                   rows({{0, 2, "C:maj"}, {2, 6, "C:maj/3"}, {6, 8, "G:7"}, {8, 16, "A:min7"}}),
                   {{10.0 / 16, 10.0 / 12, 6.0 / 12, 6.0 / 12, 2.0 / 12}, 0.75, 0.625});
}

// The estimate cut to the reference's span 10..40: its G ends where the span starts and lasts
// nothing there, the gap 15..25 is no chord, Bb is cut at 40. Right: N 15..20 and Dm 25..35,
// half the time for every measure. For segmentation the two Dm rows are one chord.
TEST(ChordMeasures, ReadTheEstimateOverTheReferencesSpanWithGapsAsNoChord)
{
    const auto reference = rows({{10, 20, "N"}, {20, 30, "D:min"}, {30, 40, "D:min"}});
    expectMeasures(reference, rows({{0, 10, "G:maj"}, {10, 15, "D:min"}, {25, 35, "D:min"}, {35, 50, "Bb:maj"}}),
                   {{0.5, 0.5, 0.5, 0.5, 0.5}, 0.5, 25.0 / 30});
    // Nothing estimated at all is no chord throughout: right over the reference's N alone.
    expectMeasures(reference, {}, {{1.0 / 3, 1.0 / 3, 1.0 / 3, 1.0 / 3, 1.0 / 3}, 1.0, 2.0 / 3});
}

// A file of suspended chords only has nothing in the gamut of any measure but the root's.
TEST(ChordMeasures, GiveNoFigureWhereNoReferenceTimeIsInTheGamut)
{
    expectMeasures(rows({{0, 8, "C:sus4"}}), rows({{0, 8, "C:sus4"}}),
                   {{1.0, std::nullopt, std::nullopt, std::nullopt, std::nullopt}, 1.0, 1.0});
    EXPECT_FALSE(measureFile(rows({{0, 8, "H:maj"}}), {}));
    EXPECT_FALSE(measureFile(rows({{0, 8, "C:maj"}, {4, 12, "G:maj"}}), {})); // overlapping rows
}

// mir_eval's encoding: the bass always among the tones, degrees added or taken away, ninths
// dropped unless reduced.
TEST(ChordMeasures, EncodeLabelsAsMirEvalDoes)
{
    struct Case {
        const char *label;
        bool reduce;
        EncodedChord chord;
    };
    const std::uint16_t seventh = 0b010010010001;
    const Case cases[] = {
        {"C:maj/b7", false, {0, seventh, 10}},
        {"C:(1,2,4,5)", false, {0, 0b000010100101, 0}},
        {"G:9", false, {7, seventh, 0}},
        {"G:9", true, {7, seventh | 0b100, 0}},
        {"F#:dim7/bb7", false, {6, 0b001001001001, 9}},
        {"A:min(*b3)", false, {9, 0b000010000001, 0}},
        {"Bb", false, {10, 0b000010010001, 0}},
        {"N", false, {-1, 0, -1}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(encodeHarte(c.label, c.reduce), c.chord) << c.label;
    for (const char *bad : {"H:maj", "C:foo", "C:maj/x", "C:maj/3/5"})
        EXPECT_FALSE(encodeHarte(bad)) << bad;
}

TEST(RomanNumerals, NormaliseAsTheCorpusReadmeSays)
{
    const int cMajor = 160, aMinor = 69;
    const std::tuple<const char *, int, const char *> cases[] = {
        {"V6/5", cMajor, "V65"},        {"V65/V", cMajor, "V65/V"},   {"V4/3/V", cMajor, "V43/V"},
        {"V42", cMajor, "V2"},          {"I63", cMajor, "I6"},        {"I53", cMajor, "I"},
        {"vii°7", cMajor, "viio7"},     {"vii%7", cMajor, "viiø7"},   {"vii/o7", cMajor, "viiø7"},
        {"iiø65[no5]", cMajor, "iiø65"}, {"V 7", cMajor, "V7"},      {"Cad64", cMajor, "I64"},
        {"Cad64", aMinor, "i64"},       {"Cad64/v", cMajor, "i64/v"},
    };
    for (const auto &[figure, key, normal] : cases)
        EXPECT_EQ(normaliseRoman(figure, key), normal) << figure;
}

// 0..4 V6/5 and 4..8 I in C major. The estimate: V65 in C for 2 ticks, then V65 in G (key
// wrong), I in C, IV in C (key right, numeral wrong): key 6 of 8, numeral 4 of 8.
TEST(RomanNumerals, CountOnlyWhereTheLocalKeyIsRightToo)
{
    std::vector<ChordRow> reference = {{0, 4, "G:7/5", "V6/5", 160, {}}, {4, 8, "C:maj", "I", 160, {}}};
    const std::vector<ChordRow> estimate = {{0, 2, "G:7/5", "V65", 160, 0.6},
                                            {2, 4, "G:7/5", "V65", 167, 0.6},
                                            {4, 6, "C:maj", "I", 160, 0.6},
                                            {6, 8, "F:maj", "IV", 160, 0.6}};
    const RomanMeasures m = measureRomans(reference, adjustedEstimate(estimate, 0, 8));
    EXPECT_DOUBLE_EQ(*m.key, 0.75);
    EXPECT_DOUBLE_EQ(*m.roman, 0.5);
    // Without annotated keys (the pop songs) there is nothing to count.
    for (ChordRow &r : reference)
        r.keyCode = 0;
    EXPECT_FALSE(measureRomans(reference, adjustedEstimate(estimate, 0, 8)).key);
}
