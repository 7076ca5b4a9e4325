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

int lowestClass(const FrameFeatures &frame)
{
    for (std::size_t pc = 0; pc < 12; ++pc)
        if (frame.lowest[pc] > 0)
            return int(pc);
    return -1;
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
        std::vector<FrameFeatures> frames = frameFeatures(c.notes, 0, Beat, 1);
        frames[0].lowest[3] = 1; // what was there before is replaced
        fillBassLine(frames, c.notes, 0, Beat, c.passingShare);
        EXPECT_EQ(lowestClass(frames[0]), c.lowest) << c.what;
    }
}

// Frames whose instantaneous bass is `bass` for a beat and whose bass line is `line` (-1: none).
std::vector<FrameFeatures> framesOf(std::initializer_list<std::pair<int, int>> bassAndLine)
{
    std::vector<FrameFeatures> frames;
    for (const auto &[bass, line] : bassAndLine) {
        FrameFeatures f;
        f.bass[std::size_t(bass)] = double(Beat);
        if (line >= 0)
            f.lowest[std::size_t(line)] = double(Beat);
        frames.push_back(f);
    }
    return frames;
}

TEST(BassLine, InversionsAreReadFromTheLineAndTheChordsFirstBass)
{
    const harmony::Chord c{0, harmony::Quality::Major, 0};
    struct Case {
        const char *what;
        std::vector<FrameFeatures> frames;
        BassReading reading;
        std::vector<BassRun> runs;
    };
    // Broken C major: G and E hold the moment's bass longest, C is the line's note.
    const auto alberti = framesOf({{7, 0}, {7, 0}, {4, 0}, {7, 0}});
    // Struck over E, the line then on C for two beats.
    const auto struckOnThird = framesOf({{4, 4}, {0, 0}, {0, 0}});
    const Case cases[] = {
        {"broken chord, the moment's bass", alberti, {2, 0.5, false, 0}, {{0, 4, 7}}},
        {"broken chord, the line", alberti, {2, 0.5, true, 0}, {{0, 4, 0}}},
        {"struck on its third, every frame alike", struckOnThird, {2, 0.5, true, 0}, {{0, 3, 0}}},
        {"struck on its third, the first frame counting twice more", struckOnThird, {2, 0.5, true, 2}, {{0, 3, 4}}},
        {"frames without a line keep the moment's bass", framesOf({{4, -1}, {4, -1}, {4, -1}}), {2, 0.5, true, 2},
         {{0, 3, 4}}},
    };
    for (const Case &k : cases) {
        const std::vector<BassRun> runs = bassRuns(c, k.frames, 0, k.frames.size(), k.reading);
        ASSERT_EQ(runs.size(), k.runs.size()) << k.what;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].from, k.runs[i].from) << k.what;
            EXPECT_EQ(runs[i].to, k.runs[i].to) << k.what;
            EXPECT_EQ(runs[i].bass, k.runs[i].bass) << k.what;
        }
    }
}

} // namespace
