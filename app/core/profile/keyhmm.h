// The hidden Markov model over the 24 keys: one step per window, emissions from the
// window's correlations with a key profile, a stay probability for the key-change penalty.
#ifndef TUNEDECK_CORE_PROFILE_KEYHMM_H
#define TUNEDECK_CORE_PROFILE_KEYHMM_H

#include "core/profile/keyprofiles.h"
#include "core/profile/keyworkspace.h"

#include <array>
#include <vector>

namespace tunedeck::profile {

using KeyScores = std::array<double, 24>; // by key index

// Pearson correlation of every window's durations (sounding plus bassWeight times bass)
// with the 24 keys; 0 for every key when a window is empty or flat. noteTime gets each
// window's sounding ticks.
std::vector<KeyScores> windowCorrelations(const std::vector<WindowDurations> &windows, const KeyTemplates &keys,
                                          double bassWeight, std::vector<double> &noteTime);

struct KeyTransitions {
    std::array<KeyScores, 24> probability{}; // [from][to]
    std::array<KeyScores, 24> logProbability{};
};

// Stay in a key with probability stay; the rest goes to the 23 other keys in proportion to
// exp(-fifthsFalloff * distance), distance being steps round the circle of fifths between
// key signatures plus one for a change of mode (relative keys are 1 apart). A falloff of 0
// spreads it evenly.
KeyTransitions keyTransitions(double stay, double fifthsFalloff);

// Where a key change goes, by its relation to the key left: [0] from a major key, [1] from
// a minor one; entry i is the weight of the key i semitones up in the same mode (i < 12) or
// in the other mode (12 + i). Entry 0 (staying) is not used.
using ChangeWeights = std::array<KeyScores, 2>;

// Stay with probability stay; the rest goes to the other keys in proportion to changes.
KeyTransitions keyTransitions(double stay, const ChangeWeights &changes);

// The transitions at another temperature: every log probability times temper, each row
// scaled to sum 1 again.
KeyTransitions tempered(const KeyTransitions &transitions, double temper);

// The emissions as likelihoods, each window's scaled so its largest is 1, and the sum of
// the logs of the scales: computed once for the forward pass under several transitions.
struct Likelihoods {
    std::vector<KeyScores> values;
    double logScale = 0;
};
Likelihoods likelihoods(const std::vector<KeyScores> &logEmission, const KeyScores &logFinal);

// The natural log of the probability of all windows under the model (the emissions taken
// as likelihoods, each window's up to a factor that is the same for every key).
double logLikelihood(const Likelihoods &emission, const KeyTransitions &transitions);

// The most likely key index of every window (Viterbi). logEmission: log emission per
// window and key; logFinal is added at the last window (a hint about how pieces end).
std::vector<int> likeliestKeys(const std::vector<KeyScores> &logEmission, const KeyTransitions &transitions,
                               const KeyScores &logFinal);

// The probability of every key at every window given all windows (forward-backward).
std::vector<KeyScores> keyPosteriors(const std::vector<KeyScores> &logEmission, const KeyTransitions &transitions,
                                     const KeyScores &logFinal);

} // namespace tunedeck::profile

#endif
