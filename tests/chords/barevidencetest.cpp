// What each beat shows of a downbeat, on a hand-made bar: a new lowest note is a bass onset and
// a note above held ones is not, notes held across a beat count there and not where they
// start, and the harmony changes most where the chord does.
#include "core/chords/barevidence.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tunedeck::chords;

TEST(BarEvidence, ReadsEachBeatsOnsetsAndHeldNotes)
{
    constexpr std::int64_t Beat = 480;
    // C E G held for two bars from beat 0; C2 under them at beat 2; C5 over them at beat 3; an
    // F# chord replacing everything at beat 8.
    const std::vector<SpanNote> notes = {{0, 8 * Beat, 60},         {0, 8 * Beat, 64},         {0, 8 * Beat, 67},
                                         {2 * Beat, 3 * Beat, 36},  {3 * Beat, 4 * Beat, 84},  {8 * Beat, 12 * Beat, 42},
                                         {8 * Beat, 12 * Beat, 66}, {8 * Beat, 12 * Beat, 70}, {8 * Beat, 12 * Beat, 73}};
    const BarEvidence evidence(notes, {Beat, 0}, 1 << 16);
    ASSERT_EQ(evidence.beats(), 13u);
    const std::vector<BeatEvidence> e = evidence.forBars(4);
    const struct {
        const char *name;
        std::size_t beat;
        Evidence kind;
        bool shows;
    } cases[] = {
        {"the first notes are the lowest", 0, BassOnset, true},
        {"a note under held ones", 2, BassOnset, true},
        {"a note over held ones", 3, BassOnset, false},
        {"a note over held ones is an onset", 3, Onsets, true},
        {"nothing starts", 1, Onsets, false},
        {"held across", 1, Held, true},
        {"held notes start here", 0, Held, false},
        {"the held chord ends where the next starts", 8, Held, false},
        {"the next chord is all new", 8, BassOnset, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(e[c.beat][c.kind] > 0, c.shows);
    }
    const auto most = std::max_element(e.begin(), e.end(), [](const BeatEvidence &a, const BeatEvidence &b) {
        return a[Change] < b[Change];
    });
    EXPECT_EQ(most - e.begin(), 8); // the harmony changes most into beat 8

    // Leaving the held notes' walk out changes none of the kinds still wanted.
    BarEvidence::Wanted some = BarEvidence::Every;
    some[Held] = some[BassOnset] = false;
    const std::vector<BeatEvidence> fewer = BarEvidence(notes, {Beat, 0}, 1 << 16, some).forBars(4);
    for (std::size_t k = 0; k < e.size(); ++k)
        for (std::size_t c = 0; c < EvidenceCount; ++c)
            EXPECT_EQ(fewer[k][c], some[c] ? e[k][c] : 0) << "beat " << k << ", kind " << c;
}
