#include "chords/chordanalysis.h"

#include "chords/beatgrid.h"
#include "chords/chorddecoder.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::chords {

namespace {

// Longer pieces get longer frames (twice as long, as often as needed), which bounds memory
// and time whatever a file's ticks say.
constexpr std::size_t MaxFrames = 1 << 15;

struct Frames {
    std::int64_t start = 0;  // the first frame's first tick, at or before 0
    std::int64_t length = 1;
    std::size_t count = 0;
};

Frames frameGrid(const BeatGrid &grid, std::int64_t lastTick, int framesPerBeat)
{
    Frames f;
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

// The chord tone other than the root that holds the segment's bass, if one holds enough of it.
int inversion(const Chord &chord, const std::vector<FrameFeatures> &frames, std::size_t from, std::size_t to,
              double share)
{
    if (chord.none())
        return 0;
    std::array<double, 12> bass{};
    double total = 0;
    for (std::size_t f = from; f < to; ++f)
        for (std::size_t pc = 0; pc < 12; ++pc) {
            bass[pc] += frames[f].bass[pc];
            total += frames[f].bass[pc];
        }
    if (total <= 0)
        return 0;
    const auto lowest = std::size_t(std::max_element(bass.begin(), bass.end()) - bass.begin());
    if (bass[lowest] < share * total)
        return 0;
    const int interval = (int(lowest) - chord.root + 12) % 12;
    const auto tones = intervals(chord.quality);
    return std::find(tones.begin() + 1, tones.end(), interval) != tones.end() ? interval : 0;
}

// The local key holding the most of [from, to) in the analysis' windows.
int keyOver(const profile::ProfileAnalysis &keys, std::int64_t from, std::int64_t to)
{
    if (keys.windowTicks <= 0 || keys.windowKeys.empty())
        return keys.keyCode;
    const auto last = std::int64_t(keys.windowKeys.size()) - 1;
    std::array<std::int64_t, 24> held{};
    for (std::int64_t w = std::min(from / keys.windowTicks, last); w <= last && w * keys.windowTicks < to; ++w) {
        const std::int64_t a = std::max(from, w * keys.windowTicks);
        const std::int64_t b = w == last ? std::max(to, a + 1) : std::min(to, (w + 1) * keys.windowTicks);
        const int key = keys.windowKeys[std::size_t(w)];
        if (isKeyCode(key) && b > a)
            held[std::size_t(keyIndex(key))] += b - a;
    }
    const auto best = std::max_element(held.begin(), held.end());
    return *best > 0 ? keyCodeAt(int(best - held.begin())) : keys.keyCode;
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

ChordFrames chordFrames(const std::vector<NoteEvent> &events, int ticksPerQuarter, const ChordOptions &options)
{
    ChordFrames out;
    const std::vector<SpanNote> notes = pairNotes(events);
    if (notes.empty())
        return out;
    for (const SpanNote &n : notes)
        out.lastTick = std::max(out.lastTick, n.end);
    const BeatGrid grid = findBeats(notes, ticksPerQuarter);
    const Frames frames = frameGrid(grid, out.lastTick, options.framesPerBeat);
    out.start = frames.start;
    out.length = frames.length;
    out.features = frameFeatures(notes, frames.start, frames.length, frames.count);
    out.inputs = frameInputs(out.features, double(frames.length));
    out.onBeat.resize(frames.count);
    for (std::size_t f = 0; f < frames.count; ++f)
        out.onBeat[f] = grid.onBeat(frames.start + std::int64_t(f) * frames.length);
    return out;
}

std::vector<ChordSegment> analyseChords(const std::vector<NoteEvent> &events, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &options)
{
    const ChordFrames frames = chordFrames(events, clock.ticksPerQuarter, options);
    const std::size_t count = frames.inputs.size();
    if (count == 0)
        return {};
    const ChordWeights &weights = options.weights ? *options.weights : fittedChordWeights();
    std::vector<ClassScores> emissions(count);
    std::vector<float> change(count);
    for (std::size_t f = 0; f < count; ++f) {
        chordLogProbabilities(weights, frames.inputs[f], emissions[f]);
        change[f] = float(options.change + (frames.onBeat[f] ? 0 : options.offBeatChange));
    }
    const Decoded decoded = decodeChords(emissions, change);

    std::vector<ChordSegment> out;
    for (std::size_t from = 0; from < count;) {
        std::size_t to = from + 1;
        while (to < count && decoded.path[to] == decoded.path[from])
            ++to;
        ChordSegment s;
        s.tick = std::max<std::int64_t>(frames.start + std::int64_t(from) * frames.length, 0);
        s.endTick = std::min(frames.start + std::int64_t(to) * frames.length, frames.lastTick);
        s.chord = chordOfClass(decoded.path[from]);
        s.chord.bass = inversion(s.chord, frames.features, from, to, options.inversionShare);
        double posterior = 0;
        for (std::size_t f = from; f < to; ++f)
            posterior += decoded.posterior[f];
        s.confidence = profile::windowConfidence(posterior / double(to - from), options.calibration);
        if (s.endTick > s.tick) {
            s.keyCode = keyOver(keys, s.tick, s.endTick);
            placeInBar(s, clock);
            out.push_back(s);
        }
        from = to;
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
