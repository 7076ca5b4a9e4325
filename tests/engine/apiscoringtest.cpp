// Key scoring and major/minor resolution, reached by sounding chords whose note
// lengths are the pitch-class durations.
#include "apitest.h"

#include <ostream>

namespace tonalyte_test {
namespace {

enum : int32_t { C = 60, Cs, D, Ds, E, F, Fs, G, Gs, A, As, B };

struct ScoringCase {
    const char *name;
    std::vector<std::pair<int32_t, int32_t>> notes;  // note, length
    int32_t strict;
    int32_t key, keyType, tapCnt;
    int32_t bestScore, scoreBase;
    int32_t detail1, detail2;
    int32_t pitchClasses;
    // Test names carry the case's name; this keeps the bytes out of them.
    friend void PrintTo(const ScoringCase &c, std::ostream *os) { *os << c.name; }
};

const ScoringCase kCases[] = {
    {"CMajorScale", {{C, 100}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}, {B, 100}},
     0, 160, 1, 1, 0, 760, 11, 15, 7},
    // Same notes, but the A minor triad's root and fifth rank first.
    {"AAndELonger", {{C, 100}, {D, 100}, {E, 400}, {F, 100}, {G, 100}, {A, 400}, {B, 100}},
     0, 69, 1, 1, 0, 1360, 15, 5, 7},
    {"AHarmonicMinor", {{A, 300}, {B, 100}, {C, 100}, {D, 100}, {E, 300}, {F, 100}, {Gs, 100}},
     0, 69, 2, 1, 0, 1160, -1, 0, 7},
    {"AMelodicMinor", {{A, 300}, {B, 100}, {C, 100}, {D, 100}, {E, 300}, {Fs, 100}, {Gs, 100}},
     0, 69, 2, 1, 0, 1160, -2, 0, 7},
    // C major and F major each miss one weight-1 note; the triads settle on F major.
    {"CToAWithoutB", {{C, 100}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}},
     0, 165, 1, 2, 1, 660, 3, 21, 6},
    // G harmonic and G melodic minor tie: one tonic, so the harmonic row is kept.
    {"GHarmonicAndMelodicTie", {{C, 200}, {F, 100}, {Fs, 300}, {G, 200}, {A, 100}, {As, 300}},
     0, 67, 3, 2, 104, 1260, -1, 2, 6},
    // A major ties B melodic minor: the minor form wins.
    {"AMajorAndBMelodicTie", {{C, 200}, {Cs, 300}, {D, 300}, {E, 300}, {Fs, 300}, {Gs, 200}},
     0, 71, 5, 2, 206, 1660, -2, 7, 6},
    // A harmonic, E harmonic and A melodic minor tie; an undecided evaluation keeps the durations.
    {"ThreeTied", {{A, 100}, {B, 100}, {C, 100}, {E, 100}, {F, 100}, {Fs, 100}},
     0, 0, 0, 3, 102, 660, -1, -1, 6},
    {"WholeToneSixTied", {{C, 100}, {D, 100}, {E, 100}, {Fs, 100}, {Gs, 100}, {As, 100}},
     0, 0, 0, 6, 106, 660, -1, -1, 6},
    // A harmonic and A melodic minor tie with seven pitch classes: undecided either way.
    {"TwoTiedOfSeven", {{A, 100}, {B, 100}, {C, 100}, {D, 100}, {E, 100}, {F, 100}, {Fs, 100}},
     0, 0, 0, 2, 101, 760, -1, -1, 7},
    {"TwoTiedOfSevenStrict", {{A, 100}, {B, 100}, {C, 100}, {D, 100}, {E, 100}, {F, 100}, {Fs, 100}},
     1, 0, 0, 2, 101, 760, -1, -1, 7},
};

class Scoring : public EngineApiTest, public ::testing::WithParamInterface<ScoringCase> {};

TEST_P(Scoring, ChordDecidesKey) {
    const ScoringCase &c = GetParam();
    k->KeySetSensitive(c.strict);
    EXPECT_EQ(Chord(c.notes), c.key);
    EXPECT_EQ(k->KeyGetKeyType(), c.keyType);
    EXPECT_EQ(k->KeyGetTapCnt(), c.tapCnt);
    EXPECT_EQ(k->KeyGetSsMinCur(), static_cast<float>(static_cast<double>(c.bestScore) / c.scoreBase));
    EXPECT_EQ(k->KeyGetInpTCnt(), c.pitchClasses);
    const Held h = Probe();
    EXPECT_EQ(h.key, c.key);
    EXPECT_EQ(h.detail1, c.detail1);
    EXPECT_EQ(h.detail2, c.detail2);
}

INSTANTIATE_TEST_SUITE_P(Keys, Scoring, ::testing::ValuesIn(kCases),
                         [](const auto &p) { return std::string(p.param.name); });

class Strictness : public EngineApiTest, public ::testing::WithParamInterface<int32_t> {};

// Any non-zero flag needs a seventh pitch class before anything is evaluated.
TEST_P(Strictness, SixPitchClassesEvaluateOnlyWhenNotStrict) {
    const bool strict = GetParam() != 0;
    k->KeySetSensitive(1);
    EXPECT_EQ(k->KeySetSensitive(GetParam()), 1);
    EXPECT_EQ(Chord({{C, 100}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}}), strict ? 0 : 165);
    EXPECT_EQ(k->KeyGetTapCnt(), strict ? 0 : 2);
    EXPECT_EQ(On(100, B), strict ? 0 : 165);
    EXPECT_EQ(Off(200, B), 160);
    EXPECT_EQ(k->KeyGetTapCnt(), 1);
}

INSTANTIATE_TEST_SUITE_P(Flags, Strictness, ::testing::Values(0, 1, 5, -1, 256));

}  // namespace
}  // namespace tonalyte_test
