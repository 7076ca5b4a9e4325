// Where the chords' bars fall against annotated downbeats, on hand-made chords: repeats and
// "N" are no changes, a tick within an eighth of a quarter is on the downbeat, beat 1 only
// exactly, and a file without downbeats is not measured.
#include "chordscore/barmeasures.h"

#include <gtest/gtest.h>

using namespace tunedeck;
using namespace tunedeck::chordscore;

namespace {

chords::ChordSegment shown(std::int64_t tick, double beat)
{
    chords::ChordSegment s;
    s.tick = tick;
    s.beat = beat;
    return s;
}

} // namespace

TEST(BarMeasures, CountsChangesOnDownbeatsAndChordsShownAtBeatOne)
{
    // Downbeats every 1920 ticks from 40; changes at 40 (C), 1960 (G), 2920 (F, a half bar),
    // 3880 (F again: a repeat), 5800 (N) and 7720 (C, 50 ticks late: within 60).
    const std::vector<std::int64_t> downbeats = {40, 1960, 3880, 5800, 7720};
    const std::vector<ChordRow> reference = {{40, 1960, "C:maj"}, {1960, 2920, "G:maj"}, {2920, 3880, "F:maj"},
                                             {3880, 5800, "F:maj"}, {5800, 7770, "N"}, {7770, 9000, "C:maj"}};
    const std::vector<chords::ChordSegment> segments = {shown(40, 1), shown(1960, 1.5), shown(2920, 3),
                                                        shown(3880, 1), shown(7770, 1)};
    const BarMeasures m = measureBars(reference, segments, downbeats, 480);
    EXPECT_DOUBLE_EQ(*m.recall, 2.0 / 3);    // C at 40 and C at 7770 of C, G, C
    EXPECT_DOUBLE_EQ(*m.precision, 1.0);     // 40, 3880 and 7770 all on downbeats
    EXPECT_DOUBLE_EQ(*m.onBeat, 4.0 / 5);    // 1.5 is not whole

    EXPECT_FALSE(measureBars(reference, segments, {}, 480).recall);
    BarSummary summary;
    summary.add(m);
    summary.add({0.0, std::nullopt, 1.0});
    EXPECT_DOUBLE_EQ(*summary.mean(0), 1.0 / 3);
    EXPECT_DOUBLE_EQ(*summary.mean(1), 1.0);
}
