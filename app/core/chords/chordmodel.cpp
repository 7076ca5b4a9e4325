#include "core/chords/chordmodel.h"

#include "core/chords/fittedchordmodel.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::chords {

using harmony::NoChordClass;
using harmony::QualityCount;

std::vector<FrameInput> frameInputs(const std::vector<FrameFeatures> &frames, double frameLength)
{
    std::vector<FrameInput> inputs(frames.size());
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const FrameFeatures &frame = frames[f];
        FrameInput &in = inputs[f];
        double total = 0, bassTotal = 0;
        for (std::size_t pc = 0; pc < 12; ++pc) {
            total += frame.sounding[pc];
            bassTotal += frame.bass[pc];
        }
        in.silent = total <= 0;
        const double perTotal = total > 0 ? 1 / total : 0, perBass = bassTotal > 0 ? 1 / bassTotal : 0;
        const double perLength = frameLength > 0 ? 1 / frameLength : 0;
        for (std::size_t pc = 0; pc < 12; ++pc) {
            in.x[Share * 12 + pc] = float(frame.sounding[pc] * perTotal);
            in.x[Bass * 12 + pc] = float(frame.bass[pc] * perBass);
            const float presence = float(std::min(frame.sounding[pc] * perLength, 1.0));
            in.x[Presence * 12 + pc] = presence;
            in.sounding = std::max(in.sounding, presence);
        }
    }
    return inputs;
}

const ChordWeights &fittedChordWeights()
{
    static const ChordWeights weights = [] {
        ChordWeights w;
        for (std::size_t q = 0; q < std::size_t(QualityCount); ++q) {
            for (std::size_t i = 0; i < std::size_t(FeatureCount); ++i)
                w.quality[q][i] = FittedChordQualityWeights[q * FeatureCount + i];
            w.bias[q] = FittedChordQualityBias[q];
        }
        std::copy(FittedNoChordWeights.begin(), FittedNoChordWeights.end(), w.noChord.begin());
        return w;
    }();
    return weights;
}

ChordScorer::ChordScorer(const ChordWeights &weights)
    : noChord_(weights.noChord)
{
    for (std::size_t i = 0; i < std::size_t(FeatureCount); ++i) {
        const std::size_t block = i / 12, pc = i % 12;
        for (std::size_t root = 0; root < 12; ++root)
            for (std::size_t q = 0; q < std::size_t(QualityCount); ++q)
                perFeature_[i][root * QualityCount + q] = weights.quality[q][block * 12 + (pc + 12 - root) % 12];
    }
    for (std::size_t root = 0; root < 12; ++root)
        std::copy(weights.bias.begin(), weights.bias.end(), bias_.begin() + std::ptrdiff_t(root * QualityCount));
}

const harmony::KeyChordTable &fittedKeyPrior()
{
    static const harmony::KeyChordTable table = [] {
        harmony::KeyChordTable t;
        for (std::size_t c = 0; c < std::size_t(harmony::ChordClassCount); ++c) {
            t[0][c] = FittedKeyPriorMajor[c];
            t[1][c] = FittedKeyPriorMinor[c];
        }
        return t;
    }();
    return table;
}

// The scores are most of the chord analysis' time: where the compiler can pick the widest
// vectors the processor has at run time, it does. Not under ThreadSanitizer: the choice runs
// while the program loads, before the sanitizer's runtime is up.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("avx2", "default")))
#endif
void ChordScorer::scores(const FrameInput &frame, float *out) const
{
    std::copy(bias_.begin(), bias_.end(), out);
    // Most pitch classes are silent in a frame: only the others add to the sums.
    for (std::size_t i = 0; i < std::size_t(FeatureCount); ++i) {
        const float v = frame.x[i];
        if (v == 0)
            continue;
        const auto &w = perFeature_[i];
        for (std::size_t c = 0; c < w.size(); ++c)
            out[c] += w[c] * v;
    }
    out[NoChordClass] = noChord_[0] + noChord_[1] * frame.sounding + noChord_[2] * (frame.silent ? 1.f : 0.f);
}

} // namespace tunedeck::chords
