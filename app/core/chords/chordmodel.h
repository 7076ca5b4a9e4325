// How likely each chord is in a frame: a log-linear model over the frame's features turned
// to each root, one weight vector a quality, so a chord is recognised alike on every root;
// and the key prior, how much likelier each chord is in a key. Both are fitted on the
// corpus' annotated chords (fittedchordmodel.h, tools/chordscore/chordmodelfit).
#ifndef TUNEDECK_CORE_CHORDS_CHORDMODEL_H
#define TUNEDECK_CORE_CHORDS_CHORDMODEL_H

#include "core/chords/chordframes.h"
#include "core/harmony/chordclasses.h"

#include <array>
#include <span>
#include <vector>

namespace tunedeck::chords {

// What the model reads of a frame, by pitch class, in blocks of 12: the share of the sounding
// time each pitch class had, the share of the bass time, and how much of the frame it
// sounded (at most all). (The neighbouring frames' shares were tried as a fourth block: no
// better, and the model's costliest part.)
enum Block { Share, Bass, Presence };
constexpr int BlockCount = 3;
constexpr int FeatureCount = 12 * BlockCount;
struct FrameInput {
    std::array<float, FeatureCount> x{};
    float sounding = 0; // the largest presence: how much of the frame sounded
    bool silent = true;
};
std::vector<FrameInput> frameInputs(const std::vector<FrameFeatures> &frames, double frameLength);

struct ChordWeights {
    std::array<std::array<float, FeatureCount>, harmony::QualityCount> quality{}; // over the features turned to the root
    std::array<float, harmony::QualityCount> bias{};
    std::array<float, 3> noChord{}; // constant, times the sounding, times silence
};

// The fitted weights (fittedchordmodel.h).
const ChordWeights &fittedChordWeights();

// The key prior: how much likelier each chord class is in a key than its quality alone
// makes it, as a log ratio by mode and class relative to the tonic (0 for no chord); the
// fitted one (fittedchordmodel.h).
const harmony::KeyChordTable &fittedKeyPrior();

// Every chord class's score in a frame: its log probability up to a constant of the frame.
using ClassScores = std::array<float, harmony::ChordClassCount>;
class ChordScorer {
public:
    explicit ChordScorer(const ChordWeights &weights);
    void scores(const FrameInput &frame, float *out) const; // harmony::ChordClassCount of them
    void scores(const FrameInput &frame, ClassScores &out) const { scores(frame, out.data()); }

private:
    // What one feature adds to every class's score per unit of it: the weights turned to
    // each root, so a frame's scores are a few plain sums over the features it has.
    std::array<std::array<float, 12 * harmony::QualityCount>, FeatureCount> perFeature_;
    std::array<float, 12 * harmony::QualityCount> bias_;
    std::array<float, 3> noChord_;
};

} // namespace tunedeck::chords

#endif
