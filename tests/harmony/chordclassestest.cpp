// Chord classes and the tables both analyses read them in: a class names a root and a quality
// alike on every root, and a key's entry is its mode's row at the root counted from its tonic.
#include "core/harmony/chordclasses.h"

#include <gtest/gtest.h>

using namespace tunedeck::harmony;

namespace {

TEST(ChordClasses, EveryChordHasItsOwnClassAndComesBackInRootPosition)
{
    std::array<bool, ChordClassCount> seen{};
    for (int root = 0; root < 12; ++root)
        for (int q = 0; q < QualityCount; ++q) {
            const Chord chord{root, Quality(q), 0};
            const int c = chordClass(chord);
            ASSERT_GE(c, 0);
            ASSERT_LT(c, NoChordClass);
            EXPECT_FALSE(seen[std::size_t(c)]) << root << " " << q;
            seen[std::size_t(c)] = true;
            EXPECT_EQ(chordOfClass(c), chord);
            EXPECT_EQ(chordClass({root, Quality(q), 7}), c); // the bass is no part of the class
            // Counted from every tonic, the root moves and the quality stays.
            for (int tonic = 0; tonic < 12; ++tonic)
                EXPECT_EQ(relativeClass(c, tonic), chordClass({(root - tonic + 12) % 12, Quality(q), 0}));
        }
    EXPECT_EQ(chordClass(Chord{}), NoChordClass);
    EXPECT_TRUE(chordOfClass(NoChordClass).none());
    EXPECT_TRUE(chordOfClass(-1).none());
    EXPECT_EQ(relativeClass(NoChordClass, 5), NoChordClass);
}

TEST(ChordClasses, AKeysEntryIsItsModesRowAtTheRootAboveTheTonic)
{
    KeyChordTable table;
    for (std::size_t c = 0; c < std::size_t(ChordClassCount); ++c) {
        table[0][c] = double(c);
        table[1][c] = 1000.0 + double(c);
    }
    struct Case {
        const char *what;
        Chord chord;
        int keyIndex;
        double entry;
    };
    const Case cases[] = {
        {"G7 in C major: V7", {7, Quality::Dominant7, 0}, 0, double(chordClass({7, Quality::Dominant7, 0}))},
        {"G7 in G major: I7", {7, Quality::Dominant7, 0}, 7, double(chordClass({0, Quality::Dominant7, 0}))},
        {"G7 in C minor: V7 of minor", {7, Quality::Dominant7, 4}, 12, 1000.0 + chordClass({7, Quality::Dominant7, 0})},
        {"C in A minor: III", {0, Quality::Major, 0}, 12 + 9, 1000.0 + chordClass({3, Quality::Major, 0})},
        {"B dim in C# minor: the root wraps below the tonic", {11, Quality::Diminished, 0}, 12 + 1,
         1000.0 + chordClass({10, Quality::Diminished, 0})},
        {"no chord", {}, 5, double(NoChordClass)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(inKey(table, chordClass(c.chord), c.keyIndex), c.entry) << c.what;
}

} // namespace
