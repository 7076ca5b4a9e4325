#include "chords/chordanalysis.h"

#include "profile/chords.h"
#include "profile/keyworkspace.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::chords {

namespace {

Chord fromWindow(const profile::Chord &c)
{
    static constexpr std::array<Quality, 8> Map = {Quality::Major, Quality::Minor, Quality::Diminished,
                                                   Quality::Dominant7, Quality::Minor7, Quality::Major7,
                                                   Quality::HalfDiminished7, Quality::Diminished7};
    if (c.root < 0)
        return {};
    return {c.root, Map[std::size_t(c.quality)], 0};
}

} // namespace

void placeInBar(ChordSegment &segment, const ChordClock &clock)
{
    const std::int64_t perBar = std::max<std::int64_t>(clock.ticksPerBar, 1);
    const int perQuarter = std::max(clock.ticksPerQuarter, 1);
    segment.bar = segment.tick / perBar + 1;
    segment.beat = 1 + double(segment.tick % perBar) / perQuarter;
    segment.ms = std::llround(clock.msPerTick * double(segment.tick));
}

std::vector<ChordSegment> analyseChords(const std::vector<NoteEvent> &events, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys)
{
    // A first cut: one chord a beat from the key analysis' chord finding.
    profile::KeyWorkspace workspace(clock.ticksPerQuarter, 1);
    std::vector<NoteEvent> pitched;
    pitched.reserve(events.size());
    for (const NoteEvent &e : events)
        if (e.channel != 9)
            pitched.push_back(e);
    std::stable_sort(pitched.begin(), pitched.end(), [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; });
    workspace.add(pitched);
    std::vector<ChordSegment> out;
    const auto &windows = workspace.windows();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const Chord chord = fromWindow(profile::windowChord(windows[i]));
        const std::int64_t start = std::int64_t(i) * workspace.windowTicks();
        const std::int64_t end = std::min(start + workspace.windowTicks(), workspace.lastTick());
        if (end <= start)
            break;
        if (!out.empty() && out.back().chord == chord && out.back().endTick == start) {
            out.back().endTick = end;
            continue;
        }
        ChordSegment s;
        s.tick = start;
        s.endTick = end;
        s.chord = chord;
        s.keyCode = profile::localKeyAt(keys, start).keyCode;
        s.confidence = chord.none() ? 0.5 : 0.6;
        placeInBar(s, clock);
        out.push_back(s);
    }
    return out;
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
