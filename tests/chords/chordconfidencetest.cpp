// What a chord's confidence is read from: the piece's figures shared by its segments, a
// dominant seventh resolving, bounded terms, the analysis reading each segment's confidence
// from its inputs once the piece's figures are in, and the example's sevenths.
#include "core/analysis/fileanalysis.h"
#include "core/chords/chordanalysis.h"
#include "core/chords/chordconfidence.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "noteevents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace tunedeck;
using namespace tunedeck::chords;
using harmony::Chord;
using harmony::Quality;

namespace {

ConfidenceInputs shown(Chord chord, double beats = 1, double posterior = 0.9)
{
    ConfidenceInputs in;
    in.chord = chord;
    in.beats = beats;
    in.posterior = posterior;
    return in;
}

} // namespace

TEST(ChordConfidence, ADominantSeventhResolvesOnlyAFifthDown)
{
    const Chord g7{7, Quality::Dominant7, 0}, b7{11, Quality::Dominant7, 0}, g{7, Quality::Major, 0};
    struct Case {
        const char *what;
        std::vector<Chord> chords;
        bool fifthDown, resolves; // the first chord's
    };
    const Case cases[] = {
        {"G7 to C", {g7, {0, Quality::Major, 0}}, true, true},
        {"G7 to Cm", {g7, {0, Quality::Minor, 0}}, true, true},
        {"B7 to E, past the octave", {b7, {4, Quality::Major, 0}}, true, true},
        {"G7 to D, a fifth up", {g7, {2, Quality::Major, 0}}, false, false},
        {"G to C, a triad", {g, {0, Quality::Major, 0}}, true, false},
        {"G7 to no chord", {g7, Chord{}}, false, false},
        {"no chord to F", {Chord{}, {5, Quality::Major, 0}}, false, false},
        {"G7 last", {g7}, false, false},
    };
    for (const Case &c : cases) {
        std::vector<ConfidenceInputs> inputs;
        for (const Chord &chord : c.chords)
            inputs.push_back(shown(chord));
        addPieceFigures(inputs, 0);
        EXPECT_EQ(inputs.front().fifthDown, c.fifthDown) << c.what;
        EXPECT_EQ(inputs.front().resolves, c.resolves) << c.what;
        EXPECT_FALSE(inputs.back().fifthDown) << c.what; // nothing follows the last
    }
}

TEST(ChordConfidence, ThePiecesFiguresWeighItsSegmentsByTheirBeats)
{
    std::vector<ConfidenceInputs> inputs = {shown({0, Quality::Major, 0}, 1, 0.5),
                                            shown({7, Quality::Dominant7, 0}, 3, 0.9),
                                            shown({0, Quality::Major, 0}, 4, 1.0)};
    addPieceFigures(inputs, 0.25);
    for (const ConfidenceInputs &in : inputs) {
        EXPECT_DOUBLE_EQ(in.piecePosterior, (0.5 + 3 * 0.9 + 4) / 8);
        EXPECT_DOUBLE_EQ(in.changesPerBeat, 3.0 / 8);
        EXPECT_DOUBLE_EQ(in.seventhShare, 3.0 / 8);
        EXPECT_DOUBLE_EQ(in.chromatic, 0.25);
    }
    std::vector<ConfidenceInputs> silent = {shown(Chord{}, 0, 0)};
    addPieceFigures(silent, 0);
    EXPECT_EQ(silent[0].piecePosterior, 0);
    EXPECT_EQ(silent[0].changesPerBeat, 0);
}

// A posterior of exactly 0 or 1, a segment of no beats or a piece of no time must give a
// confidence strictly between 0 and 1, never NaN.
TEST(ChordConfidence, StaysAProbabilityAtTheEdges)
{
    const struct {
        double posterior, beats, piecePosterior;
    } cases[] = {{0, 1, 0.5}, {1, 1, 0.5}, {1, 0, 1}, {0, 0, 0}, {0.5, 1e6, 1}};
    const ChordCalibrations calibrations = fittedChordCalibrations();
    for (const auto &c : cases) {
        ConfidenceInputs in = shown({0, Quality::Major, 0}, c.beats, c.posterior);
        in.piecePosterior = c.piecePosterior;
        for (int t = 0; t < TextureCount; ++t) {
            in.texture = Texture(t);
            for (double term : confidenceTerms(in))
                EXPECT_TRUE(std::isfinite(term)) << c.posterior << " " << c.beats;
            const double confidence = chordConfidence(in, calibrations);
            EXPECT_GT(confidence, 0) << c.posterior << " " << c.beats;
            EXPECT_LT(confidence, 1) << c.posterior << " " << c.beats;
        }
    }
}

// I IV V7 I in C, a bar each, twice: each segment's confidence is the one its inputs give,
// the piece's figures among them.
TEST(ChordConfidence, TheAnalysisReadsEachConfidenceWithThePiecesFigures)
{
    constexpr int Tpq = 480, Bar = 4 * Tpq;
    std::vector<testnotes::Note> notes;
    const std::vector<std::vector<int>> bars = {{36, 60, 64, 67}, {41, 60, 65, 69}, {43, 59, 62, 65, 67}, {36, 60, 64, 67}};
    for (int b = 0; b < 8; ++b)
        for (int pitch : bars[std::size_t(b % 4)])
            notes.push_back({b * Bar, Bar, pitch});
    const std::vector<NoteEvent> events = testnotes::eventsOf(notes);
    const ChordOptions options;
    const profile::ProfileAnalysis keys = profile::analyseProfile(events, Tpq, Bar);
    std::vector<ConfidenceInputs> inputs;
    const std::vector<ChordSegment> segments =
        analyseChords(chordFrames(events, Tpq, options), {Tpq, Bar, 1.0}, keys, options, &inputs);
    ASSERT_EQ(inputs.size(), segments.size());
    bool resolved = false;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        EXPECT_GT(inputs[i].piecePosterior, 0) << i;
        EXPECT_DOUBLE_EQ(segments[i].confidence, chordConfidence(inputs[i], options.calibration)) << i;
        resolved |= inputs[i].resolves;
    }
    EXPECT_TRUE(resolved); // the V7s go to I
}

// The example's textbook V7s, every tone sounding and each going to its I, are not its least
// sure chords: a triad that goes nowhere a fifth down is less sure.
TEST(ChordConfidence, TheExamplesSeventhsAreNotItsLeastSure)
{
    LinkedTonalyte engine;
    const FileAnalysis a = analysePath(engine, TUNEDECK_TEST_EXAMPLES "/twinkle-modulating.mid", {});
    double triads = 1, sevenths = 1;
    for (const ChordSegment &s : a.chords) {
        double &least = s.chord.quality == Quality::Dominant7 ? sevenths : triads;
        least = std::min(least, s.confidence);
    }
    ASSERT_LT(sevenths, 1);
    EXPECT_GT(sevenths, triads);
}
