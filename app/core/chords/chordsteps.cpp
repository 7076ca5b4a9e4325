#include "core/chords/chordsteps.h"

#include <algorithm>

namespace tunedeck::chords {

namespace {

constexpr std::size_t MaxFrames = 1 << 15;

} // namespace

FrameGrid frameGrid(const BeatGrid &grid, std::int64_t lastTick, int framesPerBeat)
{
    FrameGrid f;
    f.length = std::max<std::int64_t>(grid.ticksPerBeat / std::max(framesPerBeat, 1), 1);
    for (;;) {
        f.start = grid.phase % f.length;
        if (f.start > 0)
            f.start -= f.length;
        f.count = std::size_t((lastTick - f.start + f.length - 1) / f.length);
        if (f.count <= MaxFrames)
            return f;
        f.length *= 2;
    }
}

void fillFeatures(ChordFrames &frames, std::span<const SpanNote> notes, std::size_t count)
{
    if (frames.length % 2 != 0) {
        frames.features = frameFeatures(notes, frames.start, frames.length, count);
        return;
    }
    // Halves first, in one pass over the notes; a frame is its two halves.
    frames.halves = frameFeatures(notes, frames.start, frames.length / 2, count * 2);
    frames.features.assign(count, {});
    for (std::size_t f = 0; f < count; ++f)
        for (std::size_t pc = 0; pc < 12; ++pc) {
            frames.features[f].sounding[pc] = frames.halves[2 * f].sounding[pc] + frames.halves[2 * f + 1].sounding[pc];
            frames.features[f].bass[pc] = frames.halves[2 * f].bass[pc] + frames.halves[2 * f + 1].bass[pc];
        }
}

ChordSteps chordSteps(const ChordFrames &frames, bool splitWhereBassMoves)
{
    ChordSteps s;
    s.frames = &frames;
    const std::size_t count = frames.inputs.size();
    const std::int64_t half = frames.length / 2;
    std::vector<bool> splits(count);
    bool any = false;
    if (splitWhereBassMoves && frames.halves.size() == 2 * count)
        for (std::size_t f = 0; f < count; ++f) {
            const int first = bassOf(frames.halves[2 * f]), second = bassOf(frames.halves[2 * f + 1]);
            any |= splits[f] = first >= 0 && second >= 0 && first != second;
        }
    s.ticks.reserve(count + 1);
    for (std::size_t f = 0; f < count; ++f) {
        const std::int64_t start = frames.start + std::int64_t(f) * frames.length;
        s.ticks.push_back(start);
        if (!any)
            continue;
        if (!splits[f]) {
            s.splitFeatures.push_back(frames.features[f]);
            s.splitInputs.push_back(frames.inputs[f]);
            s.splitOnBeat.push_back(frames.onBeat[f]);
            s.splitFrame.push_back(f);
            s.splitHalf.push_back(false);
            continue;
        }
        s.ticks.push_back(start + half);
        const std::vector<FrameInput> in = frameInputs({frames.halves[2 * f], frames.halves[2 * f + 1]}, double(half));
        for (std::size_t h = 0; h < 2; ++h) {
            s.splitFeatures.push_back(frames.halves[2 * f + h]);
            s.splitInputs.push_back(in[h]);
            s.splitOnBeat.push_back(h == 0 && frames.onBeat[f]);
            s.splitFrame.push_back(f);
            s.splitHalf.push_back(true);
        }
    }
    s.ticks.push_back(frames.start + std::int64_t(count) * frames.length);
    return s;
}

} // namespace tunedeck::chords
