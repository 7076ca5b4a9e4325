// The pitch classes heard below the melody, frame by frame: what decides whether a second or
// a seventh is the accompaniment's colour or the melody passing through.
#include "core/chords/undermelody.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace tunedeck::chords;

namespace {

constexpr std::int64_t Beat = 480;

std::uint16_t bits(std::initializer_list<int> pitchClasses)
{
    std::uint16_t out = 0;
    for (int pc : pitchClasses)
        out |= std::uint16_t(1u << pc);
    return out;
}

TEST(UnderMelody, KeepsThePitchClassesBelowTheTopNote)
{
    const struct {
        const char *name;
        std::vector<SpanNote> notes; // start, end, pitch
        double share;
        std::vector<std::uint16_t> masks; // two frames of a beat
    } cases[] = {
        {"a melody's second over a triad", {{0, 2 * Beat, 48}, {0, 2 * Beat, 52}, {0, 2 * Beat, 55}, {0, 2 * Beat, 74}},
         0.25, {bits({0, 4, 7}), bits({0, 4, 7})}},
        {"the second held below the melody", {{0, 2 * Beat, 48}, {0, 2 * Beat, 50}, {0, 2 * Beat, 55}, {0, 2 * Beat, 76}},
         0.25, {bits({0, 2, 7}), bits({0, 2, 7})}},
        {"the melody's own pitch class an octave below", {{0, 2 * Beat, 48}, {0, 2 * Beat, 72}}, 0.25,
         {bits({0}), bits({0})}},
        {"a tune alone", {{0, Beat, 60}, {Beat, 2 * Beat, 62}}, 0.25, {0, 0}},
        {"the top note leaving: what was below is the melody", {{0, 2 * Beat, 55}, {0, Beat, 67}}, 0.25,
         {bits({7}), 0}},
        {"below for a quarter of a beat, at a quarter", {{0, Beat / 4, 50}, {0, 2 * Beat, 72}}, 0.25, {bits({2}), 0}},
        {"below for a quarter of a beat, at a half", {{0, Beat / 4, 50}, {0, 2 * Beat, 72}}, 0.5, {0, 0}},
        {"across the frames' edge, a half in each", {{Beat / 2, 3 * Beat / 2, 50}, {0, 2 * Beat, 72}}, 0.5,
         {bits({2}), bits({2})}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(underMelody(c.notes, 0, Beat, 2, c.share), c.masks) << c.name;
}

} // namespace
