#include "core/chords/chordanalysis.h"

#include "core/chords/beatgrid.h"
#include "core/chords/chorddecoder.h"

#include <algorithm>
#include <numeric>
#include <memory>
#include <optional>
#include <cmath>

namespace tunedeck::chords {

namespace {

// Longer pieces get longer frames (twice as long, as often as needed), which bounds memory
// and time whatever a file's ticks say.
constexpr std::size_t MaxFrames = 1 << 15;

// The classes worth following: those among the best few of some frame.
constexpr std::size_t NearBest = 4;

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

struct BassRun {
    std::size_t from, to;
    int bass; // semitones above the root
};

// A chord held while its bass moves among its tones (C, then C/E) is one chord in several
// inversions: the frames split where the chord tone in the bass changes for a beat or more,
// each part's bass then found over its frames. A bass off the chord (a passing note) keeps
// the part it passes through.
std::vector<BassRun> bassRuns(const Chord &chord, const std::vector<FrameFeatures> &frames, std::size_t from,
                              std::size_t to, const ChordOptions &options)
{
    std::vector<BassRun> runs;
    if (chord.none())
        return {{from, to, 0}};
    const auto tones = intervals(chord.quality);
    std::vector<int> tone(to - from, -1);
    for (std::size_t f = from; f < to; ++f) {
        const auto &bass = frames[f].bass;
        const auto lowest = std::max_element(bass.begin(), bass.end());
        if (*lowest <= 0)
            continue;
        const int interval = (int(lowest - bass.begin()) - chord.root + 12) % 12;
        if (std::find(tones.begin(), tones.end(), interval) != tones.end())
            tone[f - from] = interval;
    }
    // The parts: runs of one tone, frames without one joining the part before.
    std::vector<BassRun> parts;
    for (std::size_t f = from; f < to; ++f) {
        const int t = tone[f - from];
        if (parts.empty() || (t >= 0 && t != parts.back().bass && parts.back().bass >= 0))
            parts.push_back({f, f + 1, t});
        else {
            parts.back().to = f + 1;
            if (parts.back().bass < 0)
                parts.back().bass = t;
        }
    }
    // Shorter parts are passing basses: they join the part before (the first, the next).
    const auto beat = std::size_t(std::max(options.framesPerBeat, 1) * std::max(options.bassBeats, 1));
    for (const BassRun &p : parts) {
        if (!runs.empty() && p.to - p.from < beat)
            runs.back().to = p.to;
        else if (runs.size() == 1 && runs.back().to - runs.back().from < beat)
            runs.back() = {runs.back().from, p.to, p.bass};
        else
            runs.push_back(p);
    }
    for (BassRun &r : runs)
        r.bass = inversion(chord, frames, r.from, r.to, options.inversionShare);
    // Neighbours that came out in one inversion are one segment again.
    std::vector<BassRun> merged;
    for (const BassRun &r : runs)
        if (!merged.empty() && merged.back().bass == r.bass)
            merged.back().to = r.to;
        else
            merged.push_back(r);
    return merged;
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

double chordConfidence(double posterior, double beats, const ChordCalibration &c)
{
    // Past these log odds the posteriors' rounding says nothing more.
    constexpr double Bound = 12;
    const double p = std::clamp(posterior, 0.0, 1.0);
    const double odds = p <= 0 ? -Bound : p >= 1 ? Bound : std::clamp(std::log(p / (1 - p)), -Bound, Bound);
    const double z = c.intercept + c.slope * odds + c.perDoubling * std::log2(std::max(beats, 1.0 / 16));
    return 1 / (1 + std::exp(-z));
}

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
    if (frames.length % 2 == 0) {
        // Halves first, in one pass over the notes; a frame is its two halves.
        out.halves = frameFeatures(notes, frames.start, frames.length / 2, frames.count * 2);
        out.features.resize(frames.count);
        for (std::size_t f = 0; f < frames.count; ++f)
            for (std::size_t pc = 0; pc < 12; ++pc) {
                out.features[f].sounding[pc] = out.halves[2 * f].sounding[pc] + out.halves[2 * f + 1].sounding[pc];
                out.features[f].bass[pc] = out.halves[2 * f].bass[pc] + out.halves[2 * f + 1].bass[pc];
            }
    } else {
        out.features = frameFeatures(notes, frames.start, frames.length, frames.count);
    }
    out.inputs = frameInputs(out.features, double(frames.length));
    out.onBeat.resize(frames.count);
    for (std::size_t f = 0; f < frames.count; ++f)
        out.onBeat[f] = grid.onBeat(frames.start + std::int64_t(f) * frames.length);
    return out;
}

std::vector<ChordSegment> analyseChords(const std::vector<NoteEvent> &events, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &options)
{
    return analyseChords(chordFrames(events, clock.ticksPerQuarter, options), clock, keys, options);
}

std::vector<ChordSegment> analyseChords(const ChordFrames &frames, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &options)
{
    const std::size_t count = frames.inputs.size();
    if (count == 0)
        return {};
    static const ChordScorer fitted(fittedChordWeights());
    const std::optional<ChordScorer> given = options.weights ? std::optional<ChordScorer>(*options.weights) : std::nullopt;
    const ChordScorer &scorer = given ? *given : fitted;
    std::vector<float> change(count);
    // The frames' local keys weigh the chords by how likely each is in its key.
    const KeyChordTable &table = options.keyChords ? *options.keyChords : fittedKeyChords();
    std::array<std::optional<ClassScores>, KeyCount> inKey; // the table turned to each key met, weighted
    auto keyWeights = [&](std::size_t f) -> const ClassScores * {
        if (options.keyWeight == 0 || keys.windowTicks <= 0 || keys.windowKeys.empty())
            return nullptr;
        const std::int64_t middle = frames.start + std::int64_t(f) * frames.length + frames.length / 2;
        const std::int64_t w = std::clamp<std::int64_t>(middle / keys.windowTicks, 0, std::int64_t(keys.windowKeys.size()) - 1);
        const int key = keys.windowKeys[std::size_t(w)];
        if (!isKeyCode(key))
            return nullptr;
        auto &turned = inKey[std::size_t(keyIndex(key))];
        if (!turned) {
            const auto &row = table[isMinorKey(key) ? 1 : 0];
            turned.emplace();
            for (int c = 0; c < ChordClassCount; ++c)
                (*turned)[std::size_t(c)] = float(options.keyWeight) * row[std::size_t(relativeClass(c, tonicOf(key)))];
        }
        return &*turned;
    };
    // A piece moves among a few dozen chords: the classes never among the best of any frame
    // are left out of the decoding.
    // Every score is written before it is read: no need to clear them first.
    const std::unique_ptr<float[]> all(new float[count * std::size_t(ChordClassCount)]);
    std::array<bool, ChordClassCount> near{};
    for (std::size_t f = 0; f < count; ++f) {
        float *z = all.get() + f * std::size_t(ChordClassCount);
        scorer.scores(frames.inputs[f], z);
        if (const ClassScores *k = keyWeights(f))
            for (std::size_t c = 0; c < std::size_t(ChordClassCount); ++c)
                z[c] += (*k)[c];
        change[f] = float(options.change + (frames.onBeat[f] ? 0 : options.offBeatChange));
        // The frame's best few, kept in order as the scores are read; most scores are below
        // the last of them, which stays at hand.
        std::array<std::size_t, NearBest> top;
        top.fill(0);
        float least = z[0];
        for (std::size_t c = 1; c < std::size_t(ChordClassCount); ++c) {
            if (!(z[c] > least))
                continue;
            std::size_t i = top.size() - 1;
            for (; i > 0 && z[c] > z[top[i - 1]]; --i)
                top[i] = top[i - 1];
            top[i] = c;
            least = z[top.back()];
        }
        for (std::size_t c : top)
            near[c] = true;
    }
    std::vector<int> states;
    for (int c = 0; c < ChordClassCount; ++c)
        if (near[std::size_t(c)])
            states.push_back(c);
    std::vector<float> scores(count * states.size());
    for (std::size_t f = 0; f < count; ++f)
        for (std::size_t i = 0; i < states.size(); ++i)
            scores[f * states.size() + i] = all[f * std::size_t(ChordClassCount) + std::size_t(states[i])];
    Decoded decoded = decodeStates(scores, states.size(), std::size_t(ChordClassCount), change);
    for (int &c : decoded.path)
        c = states[std::size_t(c)];

    // Where the chord changes at a frame's start, the halves on either side may say it
    // changes half a frame earlier or later: each boundary's tick.
    std::vector<std::int64_t> boundary(count + 1);
    for (std::size_t f = 0; f <= count; ++f)
        boundary[f] = frames.start + std::int64_t(f) * frames.length;
    if (!frames.halves.empty() && options.halfFrameMove > 0) {
        const std::int64_t half = frames.length / 2;
        ClassScores z;
        auto favours = [&](std::size_t h, int to, int from) { // log ratio of class `to` over `from` in half h
            const FrameInput in = frameInputs({frames.halves[h]}, double(half)).front();
            scorer.scores(in, z);
            return z[std::size_t(to)] - z[std::size_t(from)];
        };
        for (std::size_t f = 1; f < count; ++f) {
            const int before = decoded.path[f - 1], after = decoded.path[f];
            if (before == after)
                continue;
            // Each segment keeps at least half a frame.
            const bool mayEarlier = boundary[f - 1] < boundary[f] - half;
            const bool mayLater = f + 1 < count && boundary[f] + half < boundary[f + 1];
            if (mayEarlier && favours(2 * f - 1, after, before) > options.halfFrameMove)
                boundary[f] -= half;
            else if (mayLater && favours(2 * f, before, after) > options.halfFrameMove)
                boundary[f] += half;
        }
    }

    std::vector<ChordSegment> out;
    for (std::size_t from = 0; from < count;) {
        std::size_t to = from + 1;
        while (to < count && decoded.path[to] == decoded.path[from])
            ++to;
        const Chord chord = chordOfClass(decoded.path[from]);
        for (const BassRun &run : bassRuns(chord, frames.features, from, to, options)) {
            ChordSegment s;
            s.tick = std::max<std::int64_t>(boundary[run.from], 0);
            s.endTick = std::min(boundary[run.to], frames.lastTick);
            s.chord = chord;
            s.chord.bass = run.bass;
            double posterior = 0;
            for (std::size_t f = run.from; f < run.to; ++f)
                posterior += decoded.posterior[f];
            s.confidence = chordConfidence(posterior / double(run.to - run.from),
                                           double(s.endTick - s.tick) / double(std::max(clock.ticksPerQuarter, 1)),
                                           options.calibration);
            if (s.endTick > s.tick) {
                s.keyCode = keyOver(keys, s.tick, s.endTick);
                placeInBar(s, clock);
                out.push_back(s);
            }
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
