// What a chord's confidence is read from: the piece's figures, a chord going a fifth down, the
// analysis reading each confidence once the piece's figures are in, and the example's V7s.
#include "core/analysis/fileanalysis.h"
#include "core/chords/chordanalysis.h"
#include "core/tonalyte/linkedtonalyte.h"
#include "noteevents.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(ChordConfidence, AChordGoesAFifthDownOnlyToTheNextRootAFifthBelow)
{
    const Chord g7{7, Quality::Dominant7, 0}, c{0, Quality::Major, 0};
    const struct {
        const char *what;
        std::vector<Chord> chords;
        bool fifthDown, resolves; // the first chord's
    } cases[] = {
        {"G7 to C", {g7, c}, true, true},
        {"B7 to E, past the octave", {{11, Quality::Dominant7, 0}, {4, Quality::Major, 0}}, true, true},
        {"G7 to D, a fifth up", {g7, {2, Quality::Major, 0}}, false, false},
        {"G to C, a triad", {{7, Quality::Major, 0}, c}, true, false},
        {"G7 to no chord", {g7, Chord{}}, false, false},
        {"G7 last", {g7}, false, false},
    };
    for (const auto &k : cases) {
        std::vector<ConfidenceInputs> inputs;
        for (const Chord &chord : k.chords)
            inputs.push_back(shown(chord));
        addPieceFigures(inputs, 0);
        EXPECT_EQ(inputs.front().fifthDown, k.fifthDown) << k.what;
        EXPECT_EQ(inputs.front().resolves, k.resolves) << k.what;
    }
}

TEST(ChordConfidence, ThePiecesFiguresWeighItsSegmentsByTheirBeats)
{
    std::vector<ConfidenceInputs> inputs = {shown({0, Quality::Major, 0}, 1, 0.5), shown({7, Quality::Dominant7, 0}, 3, 0.9),
                                            shown({0, Quality::Major, 0}, 4, 1.0)};
    addPieceFigures(inputs, 0.25);
    for (const ConfidenceInputs &in : inputs) {
        EXPECT_DOUBLE_EQ(in.piecePosterior, (0.5 + 3 * 0.9 + 4) / 8);
        EXPECT_DOUBLE_EQ(in.changesPerBeat, 3.0 / 8);
        EXPECT_DOUBLE_EQ(in.seventhShare, 3.0 / 8);
        EXPECT_DOUBLE_EQ(in.chromatic, 0.25);
    }
    // A piece of no time: a confidence all the same, not NaN.
    std::vector<ConfidenceInputs> silent = {shown(Chord{}, 0, 0)};
    addPieceFigures(silent, 0);
    const double confidence = chordConfidence(silent[0], fittedChordCalibrations());
    EXPECT_TRUE(confidence > 0 && confidence < 1) << confidence;
}

// I IV V7 I in C, a bar each, twice.
TEST(ChordConfidence, TheAnalysisReadsEachConfidenceWithThePiecesFigures)
{
    constexpr int Tpq = 480, Bar = 4 * Tpq;
    const std::vector<std::vector<int>> bars = {{36, 60, 64, 67}, {41, 60, 65, 69}, {43, 59, 62, 65, 67}, {36, 60, 64, 67}};
    std::vector<testnotes::Note> notes;
    for (int b = 0; b < 8; ++b)
        for (int pitch : bars[std::size_t(b % 4)])
            notes.push_back({b * Bar, Bar, pitch});
    const std::vector<NoteEvent> events = testnotes::eventsOf(notes);
    const ChordOptions options;
    std::vector<ConfidenceInputs> inputs;
    const std::vector<ChordSegment> segments = analyseChords(chordFrames(events, Tpq, options), {Tpq, Bar, 1.0},
                                                             profile::analyseProfile(events, Tpq, Bar), options, &inputs);
    ASSERT_EQ(inputs.size(), segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        EXPECT_GT(inputs[i].piecePosterior, 0) << i;
        EXPECT_DOUBLE_EQ(segments[i].confidence, chordConfidence(inputs[i], options.calibration)) << i;
    }
}

// The example's textbook V7s, every tone sounding and each going to its I, are not its least
// sure chords.
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
