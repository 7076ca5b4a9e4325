// Scale scoring and major/minor resolution on pitch-class durations given directly.
#include "keyscorer.h"
#include "keytables.h"
#include "triadresolver.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <utility>

using namespace tonalyte;

namespace {

enum Pc { C, Cs, D, Ds, E, F, Fs, G, Gs, A, As, B };

Engine engineWith(std::initializer_list<std::pair<Pc, int32_t>> durations, bool strict = false)
{
    Engine e = loadedEngine();
    clearEngine(e);
    setSensitive(e, strict);
    for (auto [pc, d] : durations)
        e.pcDur[pc] = d;
    return e;
}

struct Expected {
    int32_t keyCode, keyType, detail1, detail2, tapCnt, best, scoreBase;
};

void expectDecision(const Engine &e, const ScoreResult &r, const Expected &x)
{
    EXPECT_EQ(e.scoredDecision.keyCode, x.keyCode);
    EXPECT_EQ(e.keyType, x.keyType);
    EXPECT_EQ(e.detail1, x.detail1);
    EXPECT_EQ(e.detail2, x.detail2);
    EXPECT_EQ(e.tapCnt, x.tapCnt);
    EXPECT_EQ(r.best, x.best);
    EXPECT_EQ(r.scoreBase, x.scoreBase);
}

} // namespace

TEST(KeyTables, RowsMatchTheirTonics)
{
    // C major, A harmonic minor, A melodic minor, in group order.
    EXPECT_EQ(ScaleTable[0], (ScaleRow{60, 62, 64, 65, 67, 69, 71}));
    EXPECT_EQ(ScaleTable[12], (ScaleRow{69, 71, 60, 62, 64, 65, 68}));
    EXPECT_EQ(ScaleTable[24], (ScaleRow{69, 71, 60, 62, 64, 66, 68}));
    EXPECT_EQ(TonicTriadTable[0].root, 69);
    EXPECT_EQ(TonicTriadTable[0].fifth, 64);
    EXPECT_EQ(TonicTriadTable[12].root, 60);
    EXPECT_EQ(TonicTriadTable[12].fifth, 67);
    // C major's unsounded notes: the two tonics weigh 5, their fifths 3.
    EXPECT_EQ(noteWeight(0, 60), 5);
    EXPECT_EQ(noteWeight(0, 69), 5);
    EXPECT_EQ(noteWeight(0, 67), 3);
    EXPECT_EQ(noteWeight(0, 64), 3);
    EXPECT_EQ(noteWeight(0, 62), 1);
    EXPECT_EQ(noteWeight(12, 64), 3);
    EXPECT_EQ(noteWeight(12, 60), 1);
    EXPECT_EQ(relativeMinorCode(71 + 9), 68);
    EXPECT_EQ(relativeMinorCode(60 + 9), 69);
}

TEST(ScoreScale, OutsideTimePlusMissingWeights)
{
    Engine e = engineWith({{C, 100}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}});
    EXPECT_EQ(scoreScale(0, e.pcDur), 1);  // C major misses B
    EXPECT_EQ(scoreScale(1, e.pcDur), 1);  // F major misses B flat
    EXPECT_EQ(scoreScale(6, e.pcDur), 104); // G major: F outside, B (3) and F sharp (1) missing
    EXPECT_EQ(scoreScale(12, e.pcDur), 102); // A harmonic minor: G outside, B and G sharp missing
}

TEST(FindKey, SingleMajorRowResolvesByTriads)
{
    Engine e = engineWith({{C, 100}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}, {B, 100}});
    ScoreResult r = findKey(e);
    expectDecision(e, r, {160, 1, 11, 15, 1, 0, 760});
    EXPECT_EQ(e.scoredDecision.inpTCnt, 7);

    // The same notes with the A minor triad louder: the relative minor.
    e.pcDur[A] = 400;
    e.pcDur[E] = 400;
    r = findKey(e);
    EXPECT_EQ(e.scoredDecision.keyCode, 69);
    EXPECT_EQ(e.keyType, 1);
    EXPECT_EQ(e.detail1, 15);
    EXPECT_EQ(e.detail2, 5);
}

TEST(FindKey, MinorForms)
{
    Engine e = engineWith({{A, 300}, {B, 100}, {C, 100}, {D, 100}, {E, 300}, {F, 100}, {Gs, 100}});
    ScoreResult r = findKey(e);
    expectDecision(e, r, {69, 2, -1, 0, 1, 0, 1160});

    e.pcDur[F] = 0;
    e.pcDur[Fs] = 100;
    r = findKey(e);
    EXPECT_EQ(e.scoredDecision.keyCode, 69);
    EXPECT_EQ(e.detail1, -2); // melodic
    EXPECT_EQ(e.detail2, 0);
}

TEST(FindKey, TwoTiedMajorRows)
{
    Engine e = engineWith({{C, 100}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}});
    ScoreResult r = findKey(e);
    expectDecision(e, r, {165, 1, 3, 21, 2, 1, 660});

    Engine strict = engineWith({{C, 100}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}}, true);
    r = findKey(strict);
    expectDecision(strict, r, {0, 0, -1, -1, 2, 1, 660});
}

TEST(FindKey, TwoMinorFormsOfOneTonicTakeTheFirst)
{
    Engine e = engineWith({{C, 200}, {F, 100}, {Fs, 300}, {G, 200}, {A, 100}, {As, 300}});
    ScoreResult r = findKey(e);
    expectDecision(e, r, {67, 3, -1, 2, 2, 104, 1260});
}

TEST(FindKey, MajorRowTiedWithMinorFormGoesMinor)
{
    Engine e = engineWith({{C, 200}, {Cs, 300}, {D, 300}, {E, 300}, {Fs, 300}, {Gs, 200}});
    ScoreResult r = findKey(e);
    expectDecision(e, r, {71, 5, -2, 7, 2, 206, 1660});
}

TEST(FindKey, TwoWayTieWithSevenPitchClassesIsNoKey)
{
    // C sharp lies outside both C and F major, so they still tie, now with seven
    // pitch classes: more than the six an evaluation needs.
    Engine e = engineWith({{C, 100}, {Cs, 50}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}});
    findKey(e);
    EXPECT_EQ(e.scoredDecision.keyCode, 0);
    EXPECT_EQ(e.tapCnt, 2);
    EXPECT_EQ(e.keyType, 0);
}

TEST(FindKey, ThreeOrMoreTiedIsNoKey)
{
    // All twelve pitch classes alike: every scale leaves five out and all 36 tie.
    Engine e = loadedEngine();
    clearEngine(e);
    for (int32_t &d : e.pcDur)
        d = 100;
    findKey(e);
    EXPECT_EQ(e.scoredDecision.keyCode, 0);
    EXPECT_EQ(e.keyType, 0);
    EXPECT_EQ(e.detail1, -1);
    EXPECT_EQ(e.detail2, -1);
    EXPECT_EQ(e.tapCnt, 36);
}

TEST(ResolveTriads, SilentTriadNotesRankLast)
{
    // Only D, F and B sound: the four triad slots rank after the sounding fillers.
    Engine e = engineWith({{D, 100}, {F, 100}, {B, 100}});
    const TriadResolution r = resolveTriads(0, -1, e.pcDur);
    EXPECT_TRUE(r.major);
    EXPECT_EQ(resolvedKeyCode(r), 160);
    EXPECT_EQ(r.detail1, 17);
    EXPECT_EQ(r.detail2, 21);
}

TEST(ResolveTriads, TwoRowsTieRulesFavourMajorOfSecondLast)
{
    Engine e = engineWith({{C, 100}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}});
    const TriadResolution r = resolveTriads(0, 1, e.pcDur);
    EXPECT_TRUE(r.major);
    EXPECT_EQ(r.row, 1);
    EXPECT_EQ(resolvedKeyCode(r), 165);
    EXPECT_EQ(r.detail1, 3);
    EXPECT_EQ(r.detail2, 21);
}

// Wrapped 32-bit sums come only from huge inputs; the engine must decide no key there
// rather than rank nothing or read outside its tables.
TEST(FindKey, WrappedOrNegativeDurationsDecideNoKey)
{
    Engine negative = engineWith({{C, -5}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}, {B, 100}});
    findKey(negative);
    EXPECT_EQ(negative.scoredDecision.keyCode, 0);
    EXPECT_EQ(negative.keyType, 0);
    EXPECT_EQ(negative.tapCnt, 0);

    Engine huge = engineWith({{C, INT32_MAX}, {D, INT32_MAX}, {E, 100}, {F, 100}, {G, 100}, {A, 100}});
    const ScoreResult r = findKey(huge);
    EXPECT_EQ(huge.scoredDecision.keyCode, 0);
    EXPECT_EQ(huge.keyType, 0);
    EXPECT_EQ(r.best, r.scoreBase);

    // Just below the limit everything still adds up.
    Engine edge = engineWith({{C, INT32_MAX - 560}, {D, 100}, {E, 100}, {F, 100}, {G, 100}, {A, 100}});
    findKey(edge);
    EXPECT_NE(edge.scoredDecision.keyCode, 0);
}
