// Chords found in windows of pitch-class durations, and what they say about the keys.
#include "core/profile/fittedchordevidence.h"
#include "core/profile/windowchords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

using namespace tunedeck::profile;
using tunedeck::harmony::Chord;
using tunedeck::harmony::Quality;

namespace {

WindowDurations window(std::initializer_list<std::pair<int, int>> sounding, int bassPc)
{
    WindowDurations w;
    for (auto [pc, ticks] : sounding)
        w.sounding[std::size_t(pc)] += ticks;
    if (bassPc >= 0)
        w.bass[std::size_t(bassPc)] = 960;
    return w;
}

} // namespace

TEST(WindowChords, TemplatesMatchTheWindow)
{
    using Q = Quality;
    struct Case {
        const char *what;
        WindowDurations window;
        int root;
        Q quality;
    };
    const Case cases[] = {
        {"C major, root position", window({{0, 960}, {4, 960}, {7, 960}}, 0), 0, Q::Major},
        {"C major, first inversion", window({{0, 960}, {4, 960}, {7, 960}}, 4), 0, Q::Major},
        {"A minor with a short passing B", window({{9, 960}, {0, 960}, {4, 960}, {11, 120}}, 9), 9, Q::Minor},
        {"G7", window({{7, 960}, {11, 960}, {2, 960}, {5, 960}}, 7), 7, Q::Dominant7},
        {"G7 without its fifth", window({{7, 960}, {11, 960}, {5, 960}}, 7), 7, Q::Dominant7},
        {"B diminished", window({{11, 960}, {2, 960}, {5, 960}}, 11), 11, Q::Diminished},
        {"diminished seventh over G#: the bass names the root", window({{8, 960}, {11, 960}, {2, 960}, {5, 960}}, 8), 8, Q::Diminished7},
        {"D half-diminished", window({{2, 960}, {5, 960}, {8, 960}, {0, 960}}, 2), 2, Q::HalfDiminished7},
        {"F major seventh", window({{5, 960}, {9, 960}, {0, 960}, {4, 960}}, 5), 5, Q::Major7},
        {"C and E over C: the major triad", window({{0, 960}, {4, 960}}, 0), 0, Q::Major},
        {"all twelve alike: no clear chord", window({{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1}}, 0), -1, Q::Major},
        {"a scale run, no bass: no clear chord", window({{0, 240}, {2, 240}, {4, 240}, {5, 240}, {7, 240}, {9, 240}, {11, 240}}, -1), -1, Q::Major},
        {"silence", window({}, -1), -1, Q::Major},
    };
    for (const Case &c : cases) {
        const Chord chord = windowChord(c.window);
        EXPECT_EQ(chord.root, c.root) << c.what;
        if (c.root >= 0) {
            EXPECT_EQ(chord.quality, c.quality) << c.what;
        }
        EXPECT_EQ(chord.bass, 0) << c.what; // a window's chord is in root position
    }
}

// A dominant seventh is scored as V7 of its key: G7 speaks for C major and C minor far more
// than for F# major, each by its mode's row of the fitted header at V7's place; no clear
// chord and a chord no template finds speak for none.
TEST(WindowChords, EvidenceIsTheFittedDegreeInEachKey)
{
    const Chord g7{7, Quality::Dominant7, 0};
    const std::size_t v7 = 8 * 7 + 3; // the fitted header's index: the fifth degree, the fourth template
    EXPECT_EQ(windowClass(v7), tunedeck::harmony::chordClass(g7));
    const std::vector<KeyScores> scores = chordEvidence({g7, Chord{}, Chord{0, Quality::Sus4, 0}}, fittedChordEvidence(), 0.5);
    const int cMajor = 0, cMinor = 12, fSharpMajor = 6;
    EXPECT_GT(scores[0][cMajor], scores[0][fSharpMajor] + 1);
    EXPECT_GT(scores[0][cMinor], scores[0][fSharpMajor] + 1);
    EXPECT_DOUBLE_EQ(scores[0][cMajor], 0.5 * std::log(FittedChordEvidenceInMajor[v7]));
    EXPECT_DOUBLE_EQ(scores[0][cMinor], 0.5 * std::log(FittedChordEvidenceInMinor[v7]));
    for (const KeyScores &none : {scores[1], scores[2]})
        for (double s : none)
            EXPECT_EQ(s, 0);
}
