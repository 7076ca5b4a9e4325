// How chords are written: Harte labels that scoring tools read back, lead-sheet symbols
// spelled for the key, and Roman numerals as harmony textbooks write them.
#include "core/base/keycodes.h"
#include "core/harmony/chord.h"
#include "core/harmony/romannumeral.h"

#include <gtest/gtest.h>

using namespace tunedeck;
using namespace tunedeck::harmony;

namespace {

constexpr int C = 0, Db = 1, D = 2, Eb = 3, E = 4, F = 5, Fs = 6, G = 7, Ab = 8, A = 9, Bb = 10, B = 11;
constexpr int CMajor = MajorBase + C, GMajor = MajorBase + G, FMajor = MajorBase + F, EbMajor = MajorBase + Eb,
              FsMajor = MajorBase + Fs, EMajor = MajorBase + E, AMinor = MinorBase + A, CMinor = MinorBase + C,
              GsMinor = MinorBase + Ab, DMinor = MinorBase + D, BMinor = MinorBase + B, BbMinor = MinorBase + Bb;

struct Named {
    Chord chord;
    int key;
    const char *harte, *symbol;
};

TEST(ChordNames, LabelsAndSymbolsSpellForTheKeyAndReadBack)
{
    const Named cases[] = {
        {{G, Quality::Dominant7, 0}, CMajor, "G:7", "G7"},
        {{G, Quality::Dominant7, 4}, CMajor, "G:7/3", "G7/B"},       // first inversion keeps its bass
        {{A, Quality::Minor7, 0}, CMajor, "A:min7", "Am7"},
        {{C, Quality::Major, 7}, CMajor, "C:maj/5", "C/G"},
        {{B, Quality::Diminished7, 9}, CMajor, "B:dim7/bb7", "Bdim7/Ab"}, // a diminished seventh, not a sixth
        {{Ab, Quality::Major, 0}, EbMajor, "Ab:maj", "Ab"},          // flats in a flat key
        {{Ab, Quality::Major, 0}, GsMinor, "G#:maj", "G#"},         // the same pitch in a sharp key
        {{Bb, Quality::Major, 0}, NoKey, "Bb:maj", "Bb"},           // the common spelling without a key
        {{Fs, Quality::HalfDiminished7, 0}, GMajor, "F#:hdim7", "F#m7b5"},
        {{D, Quality::Sus4, 0}, CMajor, "D:sus4", "Dsus4"},
        // An inversion's bass is spelled as its chord tone, whatever the key's accidentals.
        {{A, Quality::Major, 4}, DMinor, "A:maj/3", "A/C#"},
        {{Db, Quality::Major, 4}, FsMajor, "C#:maj/3", "C#/E#"},
        {{G, Quality::Minor, 3}, EMajor, "G:min/b3", "Gm/Bb"},
        {{E, Quality::Major, 4}, CMajor, "E:maj/3", "E/G#"},
        {{Bb, Quality::Major, 4}, EMajor, "Bb:maj/3", "Bb/D"},      // not A#/Cx
        {{Ab, Quality::Diminished, 3}, AMinor, "G#:dim/b3", "G#dim/B"}, // not Abdim/Cb
        {{F, Quality::Diminished7, 9}, BMinor, "E#:dim7/bb7", "E#dim7/D"},
        {{C, Quality::Diminished7, 9}, CMajor, "C:dim7/bb7", "Cdim7/Bbb"}, // no name spares it
        {{F, Quality::Major6, 0}, CMajor, "F:maj6", "F6"},
        {{G, Quality::Power, 0}, CMajor, "G:(1,5)", "G5"},          // a root and its fifth alone
        {{Bb, Quality::Power, 7}, EbMajor, "Bb:(1,5)/5", "Bb5/F"},
        {{}, CMajor, "N", "N.C."},
    };
    for (const Named &n : cases) {
        EXPECT_EQ(harteLabel(n.chord, n.key), n.harte);
        EXPECT_EQ(chordSymbol(n.chord, n.key), n.symbol);
        EXPECT_EQ(parseHarte(n.harte), n.chord) << n.harte;
    }
    // A bass that is not a chord tone, or a quality outside the vocabulary, is not read.
    EXPECT_FALSE(parseHarte("C:maj/2"));
    EXPECT_FALSE(parseHarte("C:sus4(b7)"));
    EXPECT_FALSE(parseHarte("H:maj"));
}

struct Numeral {
    Chord chord;
    int key;
    const char *roman;
};

TEST(ChordNames, RomanNumeralsNameTheFunctionInTheKey)
{
    const Numeral cases[] = {
        {{G, Quality::Dominant7, 0}, CMajor, "V7"},
        {{G, Quality::Dominant7, 4}, CMajor, "V65"},
        {{G, Quality::Dominant7, 10}, CMajor, "V42"},               // the seventh in the bass
        {{D, Quality::Minor, 3}, CMajor, "ii6"},
        {{C, Quality::Major, 7}, CMajor, "I64"},
        {{D, Quality::Dominant7, 0}, GMajor, "V7"},                 // twinkle's G section
        {{D, Quality::Dominant7, 0}, CMajor, "V7/V"},               // the same chord applied in C
        {{A, Quality::Major, 0}, CMajor, "V/ii"},
        {{C, Quality::Dominant7, 0}, CMajor, "V7/IV"},
        {{B, Quality::Diminished7, 0}, CMajor, "viio7"},            // borrowed from minor, no "/I"
        {{Fs, Quality::Diminished7, 0}, CMajor, "viio7/V"},
        {{B, Quality::Diminished, 3}, CMajor, "viio6"},
        {{B, Quality::HalfDiminished7, 0}, CMajor, "viiø7"},
        {{Ab, Quality::Major, 0}, CMajor, "bVI"},
        {{Bb, Quality::Major, 0}, CMajor, "bVII"},
        {{Db, Quality::Major, 4}, CMajor, "bII6"},                  // the Neapolitan sixth
        {{F, Quality::Minor, 0}, CMajor, "iv"},                     // minor's iv borrowed
        {{F, Quality::Major7, 0}, CMajor, "IVmaj7"},
        {{E, Quality::Dominant7, 0}, AMinor, "V7"},                 // harmonic minor's own
        {{E, Quality::Minor, 0}, AMinor, "v"},
        {{G, Quality::Major, 0}, AMinor, "VII"},
        {{G + 1, Quality::Diminished7, 0}, AMinor, "viio7"},
        {{D, Quality::Diminished, 0}, CMinor, "iio"},
        {{A, Quality::Major, 4}, AMinor, "I6"},                     // a major tonic in minor is no V/iv...
        {{A, Quality::Dominant7, 0}, AMinor, "V7/iv"},              // ...unless its seventh leads on
        {{Eb, Quality::Augmented, 0}, CMinor, "III+"},
        // Minor's raised sixth and seventh are lower case alone; other chromatic roots take
        // their degree's accidental; the tonic is never altered.
        {{Fs, Quality::Minor, 0}, AMinor, "vi"},
        {{Fs, Quality::Diminished, 3}, AMinor, "vio6"},
        {{Bb, Quality::Minor, 0}, CMinor, "bvii"},
        {{E, Quality::Minor, 0}, CMinor, "#iii"},
        {{A, Quality::Major, 0}, BbMinor, "#VII"},
        {{Db, Quality::Diminished7, 0}, CMinor, "biio7"},
        // A power chord has no third: its degree's own triad gives the case, and "[no3]" says so.
        {{C, Quality::Power, 0}, CMajor, "I[no3]"},
        {{A, Quality::Power, 0}, CMajor, "vi[no3]"},
        {{C, Quality::Power, 7}, CMajor, "I64[no3]"},
        {{E, Quality::Power, 0}, AMinor, "V[no3]"},
        {{G, Quality::Power, 0}, AMinor, "VII[no3]"},
        {{Ab, Quality::Power, 0}, CMajor, "bVI[no3]"},
        {{}, CMajor, ""},
        {{G, Quality::Major, 0}, NoKey, ""},
    };
    for (const Numeral &n : cases)
        EXPECT_EQ(romanNumeral(n.chord, n.key), n.roman) << harteLabel(n.chord, n.key) << " in " << n.key;
    EXPECT_EQ(chordInKey({D, Quality::Dominant7, 0}, GMajor), "D7 \u2014 V7 of G major");
    EXPECT_EQ(chordInKey({D, Quality::Dominant7, 0}, NoKey), "D7");
    EXPECT_EQ(chordInKey({}, FMajor), "N.C.");
}

} // namespace
