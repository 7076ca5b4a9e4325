#include "core/chords/chordsteps.h"

#include <algorithm>

namespace tunedeck::chords {

namespace {

// The pitch class longest in the bass; -1 where nothing sounds.
int bassOf(const FrameFeatures &f)
{
    const auto lowest = std::max_element(f.bass.begin(), f.bass.end());
    return *lowest > 0 ? int(lowest - f.bass.begin()) : -1;
}

} // namespace

ChordSteps chordSteps(const ChordFrames &frames, bool splitWhereBassMoves)
{
    ChordSteps s;
    const std::size_t count = frames.inputs.size();
    const bool halves = splitWhereBassMoves && frames.halves.size() == 2 * count;
    const std::int64_t half = frames.length / 2;
    s.ticks.reserve(count + 1);
    for (std::size_t f = 0; f < count; ++f) {
        const std::int64_t start = frames.start + std::int64_t(f) * frames.length;
        const int first = halves ? bassOf(frames.halves[2 * f]) : -1;
        const int second = halves ? bassOf(frames.halves[2 * f + 1]) : -1;
        if (first >= 0 && second >= 0 && first != second) {
            const std::vector<FrameInput> in = frameInputs({frames.halves[2 * f], frames.halves[2 * f + 1]}, double(half));
            for (std::size_t h = 0; h < 2; ++h) {
                s.ticks.push_back(start + std::int64_t(h) * half);
                s.features.push_back(frames.halves[2 * f + h]);
                s.inputs.push_back(in[h]);
                s.onBeat.push_back(h == 0 && frames.onBeat[f]);
                s.frame.push_back(f);
                s.half.push_back(true);
            }
            continue;
        }
        s.ticks.push_back(start);
        s.features.push_back(frames.features[f]);
        s.inputs.push_back(frames.inputs[f]);
        s.onBeat.push_back(frames.onBeat[f]);
        s.frame.push_back(f);
        s.half.push_back(false);
    }
    s.ticks.push_back(frames.start + std::int64_t(count) * frames.length);
    return s;
}

} // namespace tunedeck::chords
