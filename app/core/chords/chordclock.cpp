// The chords' clock: where the music's bars fall, where a chord stands in its bar, and which
// chord sounds at a tick.
#include "core/chords/chordanalysis.h"

#include "core/chords/bargrid.h"
#include "core/chords/beatgrid.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace tunedeck::chords {

void placeInBar(ChordSegment &segment, const ChordClock &clock)
{
    const std::int64_t perBar = std::max<std::int64_t>(clock.ticksPerBar, 1);
    const int perQuarter = std::max(clock.ticksPerQuarter, 1);
    const std::int64_t from = segment.tick - clock.barStart;
    const std::int64_t into = (from % perBar + perBar) % perBar;
    segment.bar = (from - into) / perBar + 1;
    segment.beat = 1 + double(into) / perQuarter;
    const std::vector<std::int64_t> &lines = clock.barLines;
    if (!lines.empty() && segment.tick >= lines.front()) {
        const std::size_t at = std::size_t(std::upper_bound(lines.begin(), lines.end(), segment.tick) - lines.begin()) - 1;
        const std::int64_t past = segment.tick - lines[at]; // bars of the usual length after the last line
        const std::int64_t more = at + 1 == lines.size() ? past / perBar : 0;
        segment.bar = std::int64_t(at) + 1 + more;
        segment.beat = 1 + double(past - more * perBar) / perQuarter;
    }
    if (segment.bar < 1 && !clock.pickup) { // the silence before the first downbeat
        segment.bar = 1;
        segment.beat = 1 + double(from) / perQuarter;
    }
    segment.ms = std::llround(clock.msPerTick * double(segment.tick));
}

ChordClock musicClock(const std::vector<NoteEvent> &events, ChordClock clock, int statedQuarters, const BarWeights &weights)
{
    return musicClock(pairNotes(events), clock, statedQuarters, weights);
}

ChordClock musicClock(std::span<const SpanNote> notes, ChordClock clock, int statedQuarters, const BarWeights &weights)
{
    const BeatGrid beats = findBeats(notes, clock.ticksPerQuarter);
    BarGrid bars = findBars(notes, beats, statedQuarters, weights);
    clock.beatPhase = beats.phase;
    clock.ticksPerBar = bars.ticksPerBar;
    clock.barStart = bars.start;
    clock.pickup = bars.pickup;
    clock.barLines = std::move(bars.lines);
    return clock;
}

const ChordSegment *chordAt(std::span<const ChordSegment> chords, std::int64_t tick)
{
    const auto after = std::upper_bound(chords.begin(), chords.end(), tick,
                                        [](std::int64_t t, const ChordSegment &s) { return t < s.tick; });
    if (after == chords.begin())
        return nullptr;
    const ChordSegment &s = *std::prev(after);
    return tick < s.endTick ? &s : nullptr;
}

} // namespace tunedeck::chords
