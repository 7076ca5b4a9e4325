#include "core/chords/chordanalysis.h"

#include "core/chords/bassline.h"
#include "core/chords/beatgrid.h"
#include "core/chords/changecost.h"
#include "core/chords/chorddecoder.h"
#include "core/chords/chordtones.h"
#include "core/chords/inversions.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace tunedeck::chords {

namespace {

using harmony::Chord;
using harmony::ChordClassCount;

// The classes worth following: those among the best few of some frame.
constexpr std::size_t NearBest = 4;

// The steps' scores: the model's, plus the key prior turned to each step's local key.
class FrameScorer {
public:
    FrameScorer(const ChordSteps &steps, const profile::ProfileAnalysis &keys, const ChordOptions &options)
        : steps_(steps), keys_(keys), options_(options),
          prior_(options.keyPrior ? *options.keyPrior : fittedKeyPrior())
    {
        if (options.weights)
            given_.emplace(*options.weights);
        for (std::size_t q = 0; q < std::size_t(harmony::QualityCount); ++q) {
            if (options.qualityBoost[q] == 0)
                continue;
            // The quality's colour: its tones outside the major and minor triads, from its root.
            std::uint16_t colour = 0;
            for (int i : harmony::intervals(harmony::Quality(q)))
                if (i != 0 && i != 3 && i != 4 && i != 7)
                    colour |= std::uint16_t(1u << i);
            boosts_.push_back({q, colour, float(options.qualityBoost[q])});
        }
    }

    // The model alone.
    const ChordScorer &model() const
    {
        static const ChordScorer fitted(fittedChordWeights());
        return given_ ? *given_ : fitted;
    }

    // Every class's score in step f, written to z.
    void scores(std::size_t f, float *z)
    {
        model().scores(steps_.inputs()[f], z);
        // The colours are the pop songs' (voices moving within the scale); in chorales and art
        // songs a second or a major seventh over a triad is a suspension or a passing note.
        // And a melody passing through a second or a seventh does not make one: its colour tone
        // has to sound below the melody.
        if (steps_.frames->texture == Texture::Diatonic) {
            const auto &under = steps_.frames->underMelody;
            const unsigned below = under.empty() ? 0xfffu : under[steps_.frame(f)];
            for (std::size_t root = 0; root < 12; ++root) {
                // The pitch classes below, counted from this root.
                const unsigned turned = ((below >> root) | (below << (12 - root))) & 0xfffu;
                for (const Boost &b : boosts_)
                    if ((turned & b.colour) == b.colour)
                        z[root * std::size_t(harmony::QualityCount) + b.quality] += b.value;
            }
        }
        if (steps_.frames->texture == Texture::Figured && options_.figured)
            for (std::size_t c = std::size_t(harmony::Quality::Dominant7); c + 1 < std::size_t(ChordClassCount);
                 c += std::size_t(harmony::QualityCount))
                z[c] += float(options_.figured->dominantSeventh);
        if (const ClassScores *k = keyPrior(f))
            for (std::size_t c = 0; c < std::size_t(ChordClassCount); ++c)
                z[c] += (*k)[c];
    }

private:
    // The prior in frame f's local key, weighted; nothing where it has none or no weight.
    const ClassScores *keyPrior(std::size_t f)
    {
        if (options_.keyWeight == 0 || keys_.windowTicks <= 0 || keys_.windowKeys.empty())
            return nullptr;
        const std::int64_t middle = (steps_.ticks[f] + steps_.ticks[f + 1]) / 2;
        const std::int64_t w =
            std::clamp<std::int64_t>(middle / keys_.windowTicks, 0, std::int64_t(keys_.windowKeys.size()) - 1);
        const int key = keys_.windowKeys[std::size_t(w)];
        if (!isKeyCode(key))
            return nullptr;
        auto &turned = inKey_[std::size_t(keyIndex(key))];
        if (!turned) {
            turned.emplace();
            for (int c = 0; c < ChordClassCount; ++c)
                (*turned)[std::size_t(c)] = float(options_.keyWeight) * float(harmony::inKey(prior_, c, keyIndex(key)));
        }
        return &*turned;
    }

    const ChordSteps &steps_;
    const profile::ProfileAnalysis &keys_;
    const ChordOptions &options_;
    const harmony::KeyChordTable &prior_;
    std::optional<ChordScorer> given_;
    struct Boost {
        std::size_t quality;
        std::uint16_t colour;
        float value;
    };
    std::vector<Boost> boosts_; // the qualities boosted
    std::array<std::optional<ClassScores>, KeyCount> inKey_; // the prior turned to each key met, weighted
};

// Every frame's scores, frame by frame, and the classes worth following: a piece moves among
// a few dozen chords, so the classes never among the best few of any frame are left out of
// the decoding.
struct FrameScores {
    std::unique_ptr<float[]> all;
    std::vector<int> states; // the classes followed, ascending
};

// Marks the frame's best few, kept in order as the scores are read; most scores are below
// the last of them, which stays at hand.
void markNearBest(const float *z, std::array<bool, ChordClassCount> &near)
{
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

FrameScores scoreFrames(std::size_t count, FrameScorer &scorer)
{
    // Every score is written before it is read: no need to clear them first.
    FrameScores out{std::unique_ptr<float[]>(new float[count * std::size_t(ChordClassCount)]), {}};
    std::array<bool, ChordClassCount> near{};
    for (std::size_t f = 0; f < count; ++f) {
        float *z = out.all.get() + f * std::size_t(ChordClassCount);
        scorer.scores(f, z);
        markNearBest(z, near);
    }
    for (int c = 0; c < ChordClassCount; ++c)
        if (near[std::size_t(c)])
            out.states.push_back(c);
    return out;
}

// The split steps' scores from the whole frames' ones: a whole frame's kept, a half's found.
FrameScores rescore(const ChordSteps &steps, const FrameScores &frames, FrameScorer &scorer)
{
    const auto k = std::size_t(ChordClassCount);
    FrameScores out{std::unique_ptr<float[]>(new float[steps.size() * k]), {}};
    std::array<bool, ChordClassCount> near{};
    for (int c : frames.states)
        near[std::size_t(c)] = true;
    for (std::size_t s = 0; s < steps.size(); ++s) {
        float *z = out.all.get() + s * k;
        if (steps.half(s)) {
            scorer.scores(s, z);
            markNearBest(z, near);
        } else {
            std::copy_n(frames.all.get() + steps.frame(s) * k, k, z);
        }
    }
    for (int c = 0; c < ChordClassCount; ++c)
        if (near[std::size_t(c)])
            out.states.push_back(c);
    return out;
}

// How often the chord changes, a frame.
double changeRate(const std::vector<int> &path)
{
    std::size_t changes = 0;
    for (std::size_t f = 1; f < path.size(); ++f)
        changes += path[f] != path[f - 1];
    return path.empty() ? 0 : double(changes) / double(path.size());
}

// The decoding's input: the scores of the classes followed, step by step, and what a change
// into each step costs.
struct Lattice {
    std::vector<float> scores;
    std::vector<float> change;
    std::size_t states = 0;
};

Lattice lattice(const ChordSteps &steps, const FrameScores &scored, const ChordOptions &options)
{
    Lattice l;
    const std::size_t count = steps.size();
    l.states = scored.states.size();
    l.change = changeCosts(steps.features(), steps.onBeat(),
                           {options.change, options.offBeatChange, options.bassMoveChange, options.notesMoveChange});
    l.scores.resize(count * l.states);
    for (std::size_t f = 0; f < count; ++f)
        for (std::size_t i = 0; i < l.states; ++i)
            l.scores[f * l.states + i] = scored.all[f * std::size_t(ChordClassCount) + std::size_t(scored.states[i])];
    return l;
}

// The likeliest states through the lattice (indices into the classes followed), with each
// step's posterior where asked.
Decoded decodeLattice(const Lattice &l, bool withPosteriors)
{
    return decodeStates(l.scores, l.states, std::size_t(ChordClassCount), l.change, withPosteriors);
}

// The states as the classes they follow.
std::vector<int> classesOf(std::vector<int> path, const FrameScores &scored)
{
    for (int &c : path)
        c = scored.states[std::size_t(c)];
    return path;
}

// Each step boundary's tick: where the chord changes between two whole frames, the halves on
// either side may say it changes half a frame earlier or later.
std::vector<std::int64_t> boundaries(const ChordFrames &frames, const ChordSteps &steps, const std::vector<int> &path,
                                     const ChordScorer &model, const ChordOptions &options)
{
    const std::size_t count = steps.size();
    std::vector<std::int64_t> boundary = steps.ticks;
    if (frames.halves.empty() || options.halfFrameMove <= 0)
        return boundary;
    const std::int64_t half = frames.length / 2;
    ClassScores z;
    auto favours = [&](std::size_t h, int to, int from) { // log ratio of class `to` over `from` in half h
        const FrameInput in = frameInputs({frames.halves[h]}, double(half)).front();
        model.scores(in, z);
        return z[std::size_t(to)] - z[std::size_t(from)];
    };
    for (std::size_t s = 1; s < count; ++s) {
        const int before = path[s - 1], after = path[s];
        if (before == after || steps.half(s - 1) || steps.half(s))
            continue;
        const std::size_t f = steps.frame(s);
        // Each segment keeps at least half a frame.
        const bool mayEarlier = boundary[s - 1] < boundary[s] - half;
        const bool mayLater = s + 1 < count && boundary[s] + half < boundary[s + 1];
        if (mayEarlier && favours(2 * f - 1, after, before) > options.halfFrameMove)
            boundary[s] -= half;
        else if (mayLater && favours(2 * f, before, after) > options.halfFrameMove)
            boundary[s] += half;
    }
    return boundary;
}

// A run of frames of one chord in one inversion as a segment: its ticks, key and place, and
// what its confidence is read from; nothing where it comes out empty.
std::optional<ChordSegment> segment(const Chord &chord, const BassRun &run, const std::vector<std::int64_t> &boundary,
                                    const Decoded &decoded, const ChordSteps &steps, const ChordClock &clock,
                                    const profile::ProfileAnalysis &keys, const ChordOptions &options,
                                    ConfidenceInputs &inputs)
{
    ChordSegment s;
    s.tick = std::max<std::int64_t>(boundary[run.from], 0);
    const ChordFrames &frames = *steps.frames;
    s.endTick = std::min(boundary[run.to], frames.lastTick);
    if (s.endTick <= s.tick)
        return std::nullopt;
    s.chord = chord;
    s.chord.bass = run.bass;
    const std::array<double, 12> sounding = soundingOver(steps.features(), run.from, run.to);
    s.chord = powerChord(s.chord, sounding, options.powerShare);
    double posterior = 0;
    for (std::size_t f = run.from; f < run.to; ++f)
        posterior += decoded.posterior[f];
    inputs = {posterior / double(run.to - run.from),
              double(s.endTick - s.tick) / double(std::max(clock.ticksPerQuarter, 1)), toneShare(s.chord, sounding),
              coverage(s.chord, sounding, double(steps.ticks[run.to] - steps.ticks[run.from])),
              s.chord, frames.texture};
    s.keyCode = localKeyOver(keys, s.tick, s.endTick);
    placeInBar(s, clock);
    return s;
}

} // namespace

ChordOptions forTexture(const ChordOptions &options, Texture texture)
{
    ChordOptions out = options;
    if (texture == Texture::Chromatic)
        out.keyWeight = options.chromaticKeyWeight;
    if (texture == Texture::Figured && options.figured) {
        const FiguredTuning &f = *options.figured;
        out.change = f.change;
        out.keyWeight = f.keyWeight;
        out.inversionShare = f.inversionShare;
        if (out.numeralKeys)
            out.numeralKeys->change = f.numeralChange;
    }
    // A bass line is heard under broken chords and moving voices; the pop songs' and the
    // chorales' bass is the lowest note of each moment.
    if (texture != Texture::Figured && texture != Texture::Chromatic) {
        out.bassLine = false;
        out.firstBass = 0;
    }
    return out;
}

std::vector<ChordSegment> analyseChords(const std::vector<NoteEvent> &events, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &options)
{
    return analyseChords(chordFrames(events, clock.ticksPerQuarter, clock.beatPhase, options), clock, keys, options);
}

std::vector<ChordSegment> analyseChords(std::span<const SpanNote> notes, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &options)
{
    return analyseChords(chordFrames(notes, clock.ticksPerQuarter, clock.beatPhase, options), clock, keys, options);
}

std::vector<ChordSegment> analyseChords(const ChordFrames &frames, const ChordClock &clock,
                                        const profile::ProfileAnalysis &keys, const ChordOptions &given,
                                        std::vector<ConfidenceInputs> *inputs)
{
    if (frames.inputs.empty())
        return {};
    const ChordOptions options = forTexture(given, frames.texture);
    ChordSteps steps = chordSteps(frames, false);
    FrameScorer scorer(steps, keys, options);
    const FrameScores scored = scoreFrames(steps.size(), scorer);
    const Lattice beats = lattice(steps, scored, options);
    Decoded decoded = decodeLattice(beats, false);
    // Where the harmony moves often, it moves with the bass between the beats too: decoded
    // again with the beats the bass moves in split in halves.
    if (options.splitRate > 0 && changeRate(decoded.path) >= options.splitRate) {
        ChordSteps split = chordSteps(frames, true);
        if (split.size() > steps.size()) {
            FrameScorer halves(split, keys, options);
            const FrameScores rescored = rescore(split, scored, halves);
            decoded = decodeLattice(lattice(split, rescored, options), true);
            decoded.path = classesOf(std::move(decoded.path), rescored);
            steps = std::move(split);
        }
    }
    if (decoded.posterior.empty()) {
        decoded.posterior = pathPosteriors(beats.scores, beats.states, std::size_t(ChordClassCount), beats.change,
                                           decoded.path);
        decoded.path = classesOf(std::move(decoded.path), scored);
    }
    const std::size_t count = steps.size();
    const std::vector<std::int64_t> boundary = boundaries(frames, steps, decoded.path, scorer.model(), options);
    const BassReading reading{std::size_t(std::max(options.framesPerBeat, 1) * std::max(options.bassBeats, 1)),
                              options.inversionShare, options.firstBass};
    const std::vector<std::int8_t> line = bassLineOfSteps(steps);
    std::vector<ChordSegment> out;
    std::vector<ConfidenceInputs> read;
    for (std::size_t from = 0; from < count;) {
        std::size_t to = from + 1;
        while (to < count && decoded.path[to] == decoded.path[from])
            ++to;
        const Chord chord = harmony::chordOfClass(decoded.path[from]);
        for (const BassRun &run : bassRuns(chord, steps.features(), line, from, to, reading)) {
            ConfidenceInputs in;
            if (const std::optional<ChordSegment> s = segment(chord, run, boundary, decoded, steps, clock, keys, options, in)) {
                out.push_back(*s);
                read.push_back(in);
            }
        }
        from = to;
    }
    addPieceFigures(read, frames.figures.chromatic);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i].confidence = chordConfidence(read[i], options.calibration);
    if (inputs)
        *inputs = std::move(read);
    if (options.numeralKeys) {
        std::vector<KeyedChord> keyed;
        keyed.reserve(out.size());
        for (const ChordSegment &s : out)
            keyed.push_back({s.tick, s.endTick, harmony::chordClass(s.chord)});
        const std::vector<int> codes = numeralKeys(keyed, keys, options.keyPrior ? *options.keyPrior : fittedKeyPrior(),
                                                   clock.ticksPerQuarter, *options.numeralKeys);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i].keyCode = codes[i];
    }
    return out;
}

} // namespace tunedeck::chords
