#include "chords/chordmodel.h"

#include "chords/fittedchordmodel.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::chords {

Chord chordOfClass(int chordClass)
{
    if (chordClass < 0 || chordClass >= NoChordClass)
        return {};
    return {chordClass / QualityCount, Quality(chordClass % QualityCount), 0};
}

int classOfChord(const Chord &chord)
{
    return chord.none() ? NoChordClass : chord.root * QualityCount + int(chord.quality);
}

std::vector<FrameInput> frameInputs(const std::vector<FrameFeatures> &frames, double frameLength)
{
    std::vector<FrameInput> inputs(frames.size());
    std::vector<std::array<float, 12>> shares(frames.size());
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const FrameFeatures &frame = frames[f];
        FrameInput &in = inputs[f];
        double total = 0, bassTotal = 0;
        for (std::size_t pc = 0; pc < 12; ++pc) {
            total += frame.sounding[pc];
            bassTotal += frame.bass[pc];
        }
        in.silent = total <= 0;
        for (std::size_t pc = 0; pc < 12; ++pc) {
            shares[f][pc] = total > 0 ? float(frame.sounding[pc] / total) : 0.f;
            in.x[Share * 12 + pc] = shares[f][pc];
            in.x[Bass * 12 + pc] = bassTotal > 0 ? float(frame.bass[pc] / bassTotal) : 0.f;
            const float presence = frameLength > 0 ? float(std::min(frame.sounding[pc] / frameLength, 1.0)) : 0.f;
            in.x[Presence * 12 + pc] = presence;
            in.sounding = std::max(in.sounding, presence);
        }
    }
    for (std::size_t f = 0; f < frames.size(); ++f)
        for (std::size_t pc = 0; pc < 12; ++pc) {
            const float before = f > 0 ? shares[f - 1][pc] : 0.f;
            const float after = f + 1 < frames.size() ? shares[f + 1][pc] : 0.f;
            inputs[f].x[Neighbours * 12 + pc] = (before + after) / 2;
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

void chordLogProbabilities(const ChordWeights &weights, const FrameInput &frame, ClassScores &out)
{
    // The features turned to every root once, twice round the octave, so a root's view is a
    // plain slice of them.
    std::array<float, 24 * BlockCount> doubled;
    for (std::size_t b = 0; b < std::size_t(BlockCount); ++b)
        for (std::size_t i = 0; i < 24; ++i)
            doubled[b * 24 + i] = frame.x[b * 12 + i % 12];
    float top = -1e30f;
    for (std::size_t root = 0; root < 12; ++root)
        for (std::size_t q = 0; q < std::size_t(QualityCount); ++q) {
            const auto &w = weights.quality[q];
            float z = weights.bias[q];
            for (std::size_t b = 0; b < std::size_t(BlockCount); ++b)
                for (std::size_t i = 0; i < 12; ++i)
                    z += w[b * 12 + i] * doubled[b * 24 + root + i];
            out[root * std::size_t(QualityCount) + q] = z;
            top = std::max(top, z);
        }
    out[NoChordClass] = weights.noChord[0] + weights.noChord[1] * frame.sounding + weights.noChord[2] * (frame.silent ? 1.f : 0.f);
    top = std::max(top, out[NoChordClass]);
    double sum = 0;
    for (float z : out)
        sum += std::exp(double(z - top));
    const float norm = top + float(std::log(sum));
    for (float &z : out)
        z -= norm;
}

} // namespace tunedeck::chords
