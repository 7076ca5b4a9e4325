// The bass line under broken chords, and the inversions read from it.
#include "core/chords/bassline.h"
#include "core/chords/inversions.h"

#include <gtest/gtest.h>

using namespace tunedeck;
using namespace tunedeck::chords;

namespace {

constexpr std::int64_t Beat = 480;
constexpr std::int64_t Sixteenth = Beat / 4;

// A beat of sixteenths from tick `at`, by start.
std::vector<SpanNote> broken(std::int64_t at, std::initializer_list<int> pitches)
{
    std::vector<SpanNote> notes;
    for (int p : pitches) {
        notes.push_back({at, at + Sixteenth, p, 1});
        at += Sixteenth;
    }
    return notes;
}

TEST(BassLine, EachFrameHearsItsLowestNoteNotPassingOnes)
{
    struct Case {
        const char *what;
        std::vector<SpanNote> notes;
        double passingShare;
        int lowest;
    };
    std::vector<SpanNote> heldOverPassing = {{0, Beat, 48, 1}, {Beat / 2, Beat / 2 + Beat / 8, 47, 1}};
    const Case cases[] = {
        {"an Alberti bass: its lowest note, though others sound longer", broken(0, {48, 55, 52, 55}), 0.25, 0},
        {"a first-inversion arpeggio", broken(0, {52, 55, 60, 55}), 0.25, 4},
        {"a held bass under a passing eighth's half below", heldOverPassing, 0.25, 0},
        {"the same passing note where nothing is passing", heldOverPassing, 0, 11},
        {"only short notes: the lowest of them", broken(0, {50, 43, 47, 50}), 0.5, 7},
        {"nothing sounding", {}, 0.25, -1},
    };
    for (const Case &c : cases) {
        // The beat before and after hold nothing.
        const std::vector<std::int8_t> line = bassLine(c.notes, -Beat, Beat, 3, c.passingShare);
        EXPECT_EQ(line, (std::vector<std::int8_t>{-1, std::int8_t(c.lowest), -1})) << c.what;
    }
}

// Frames whose moment's bass is one class for a beat, with their bass line's notes (-1: none).
struct Frames {
    std::vector<FrameFeatures> features;
    std::vector<std::int8_t> line;
};
Frames framesOf(std::initializer_list<std::pair<int, int>> bassAndLine)
{
    Frames frames;
    for (const auto &[bass, line] : bassAndLine) {
        FrameFeatures f;
        f.bass[std::size_t(bass)] = double(Beat);
        frames.features.push_back(f);
        frames.line.push_back(std::int8_t(line));
    }
    return frames;
}

TEST(BassLine, InversionsAreReadFromTheLineAndTheChordsFirstBass)
{
    const harmony::Chord c{0, harmony::Quality::Major, 0};
    struct Case {
        const char *what;
        Frames frames;
        bool line;
        BassReading reading;
        std::vector<BassRun> runs;
    };
    // Broken C major: G and E hold the moment's bass longest, C is the line's note.
    const auto alberti = framesOf({{7, 0}, {7, 0}, {4, 0}, {7, 0}});
    // Struck over E, the line then on C for two beats.
    const auto struckOnThird = framesOf({{4, 4}, {0, 0}, {0, 0}});
    const Case cases[] = {
        {"broken chord, the moment's bass", alberti, false, {2, 0.5, 0}, {{0, 4, 7}}},
        {"broken chord, the line", alberti, true, {2, 0.5, 0}, {{0, 4, 0}}},
        {"struck on its third, every frame alike", struckOnThird, true, {2, 0.5, 0}, {{0, 3, 0}}},
        {"struck on its third, the first frame counting twice more", struckOnThird, true, {2, 0.5, 2}, {{0, 3, 4}}},
        {"frames without a line keep the moment's bass", framesOf({{4, -1}, {4, -1}, {4, -1}}), true, {2, 0.5, 2},
         {{0, 3, 4}}},
    };
    for (const Case &k : cases) {
        const std::span<const std::int8_t> line = k.line ? k.frames.line : std::span<const std::int8_t>{};
        const std::vector<BassRun> runs = bassRuns(c, k.frames.features, line, 0, k.frames.features.size(), k.reading);
        ASSERT_EQ(runs.size(), k.runs.size()) << k.what;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].from, k.runs[i].from) << k.what;
            EXPECT_EQ(runs[i].to, k.runs[i].to) << k.what;
            EXPECT_EQ(runs[i].bass, k.runs[i].bass) << k.what;
        }
    }
}

} // namespace
