// A score written as a MIDI file and read back by the MIDI reader: every path that takes MIDI
// bytes takes a score so.
#include "core/midi/midifile.h"
#include "core/midi/trackwalk.h"
#include "core/score/scoremidi.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tunedeck::score {
namespace {

Score twoParts()
{
    Score score;
    Part piano{"P1", "Piano", 0, false, {}};
    piano.notes = {{0, 480, 60, {'C', 0, 4}, 1, 1, 0}, {480, 480, 60, {'C', 0, 4}, 1, 1, 0},
                   {480, 960, 64, {'E', 0, 4}, 2, 1, 0}};
    Part drums{"P2", "", 0, true, {}};
    drums.notes = {{960, 240, 38, {'C', 0, 5}, 1, 1, 0}};
    score.parts = {piano, drums};
    score.tempos = {{0, 90.0}, {960, 120.0}};
    score.times = {{0, 3, 4}, {1440, 6, 8}, {1440, 5, 12}};
    score.keys = {{0, -3, true}};
    return score;
}

TEST(ScoreMidi, ReadBackAsAFormat1FileOfItsParts)
{
    MidiFile file;
    const Result<> loaded = file.loadFromBytes(midiBytes(twoParts()));
    ASSERT_TRUE(loaded) << loaded.error().reason;
    EXPECT_EQ(file.format(), 1);
    EXPECT_EQ(file.ticksPerQuarter(), 480);
    EXPECT_EQ(file.trackCount(), 3);
    EXPECT_EQ(file.tempo(), 666667); // 90 quarters a minute
    std::ostringstream events;
    (void)walkTracks(file, 1, 3, [&](std::int32_t tick, std::int32_t track, const MidiEvent &e) {
        events << track << '@' << tick << ':' << std::hex << int(e.status) << ' ' << int(e.data1) << std::dec << '\n';
        return true;
    });
    // The tempo track: the first tempo, the tempo change, the meters a file can write (5/12
    // it cannot), the key signature; then each part with its name; the release of a note
    // before the attack of its tick.
    EXPECT_EQ(events.str(), "1@0:ff 51\n1@0:ff 58\n1@0:ff 59\n1@960:ff 51\n1@1440:ff 58\n1@1440:ff 2f\n"
                            "2@0:ff 3\n2@0:c0 0\n2@0:90 3c\n2@480:80 3c\n2@480:90 3c\n2@480:90 40\n"
                            "2@960:80 3c\n2@1440:80 40\n2@1440:ff 2f\n"
                            "3@0:ff 3\n3@960:99 26\n3@1200:89 26\n3@1200:ff 2f\n");
}

TEST(ScoreMidi, PartsTakeTheChannelsInTurnAroundTheDrumsAndTheLastChannel)
{
    Score score;
    for (int p = 0; p < 16; ++p)
        score.parts.push_back({std::to_string(p), "", 0, false, {{0, 480, 60, {}, 1, 1, 0}}});
    MidiFile file;
    ASSERT_TRUE(file.loadFromBytes(midiBytes(score)));
    std::vector<int> channels;
    (void)walkTracks(file, 2, file.trackCount(), [&](std::int32_t, std::int32_t, const MidiEvent &e) {
        if ((e.status & 0xF0) == 0x90)
            channels.push_back(e.status & 0x0F);
        return true;
    });
    EXPECT_EQ(channels, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 0, 1}));
}

} // namespace
} // namespace tunedeck::score
