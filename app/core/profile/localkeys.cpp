#include "core/profile/localkeys.h"

#include "core/profile/fittedchanges.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tunedeck::profile {

namespace {

// The chance a window keeps its key. Held at one half at least: a file too long for the
// workspace gets windows of hundreds of quarters, where the rate alone would make staying
// less likely than moving to one neighbour, and the keys would flip in every empty window.
double windowStay(double changeRate, double quarters)
{
    return std::max(std::exp(-changeRate * quarters), 0.5);
}

// How many workspace windows make one of about `quarters`.
std::size_t mergeFactor(const KeyWorkspace &workspace, int quarters)
{
    const std::int64_t target = std::int64_t(workspace.ticksPerQuarter()) * std::max(quarters, 1);
    return std::size_t(std::max<std::int64_t>(1, target / workspace.windowTicks()));
}

// The probability of each step's key on the path given the whole piece, from the model it was
// found with at another temperature.
std::vector<double> pathShares(std::vector<KeyScores> logEmission, const KeyTransitions &transitions,
                               KeyScores logFinal, const std::vector<int> &path, double temper)
{
    for (KeyScores &scores : logEmission)
        for (double &s : scores)
            s *= temper;
    for (double &s : logFinal)
        s *= temper;
    const std::vector<KeyScores> posterior = keyPosteriors(logEmission, tempered(transitions, temper), logFinal);
    std::vector<double> shares(path.size());
    for (std::size_t w = 0; w < path.size(); ++w)
        shares[w] = posterior[w][std::size_t(path[w])];
    return shares;
}

// What every way of finding the local keys reads: the workspace's windows correlated with
// the keys, and each window's chord as evidence for them.
struct KeyEvidence {
    const KeyWorkspace &workspace;
    const KeyTemplates &templates;
    const AnalysisOptions &analysis;
    const ChangeWeights &changes;
    double quarters = 0; // of a workspace window
    std::vector<KeyScores> correlations;
    std::vector<KeyScores> chords; // empty when no chord weighs
};

// The bonus at the last window for the keys on the final bass note.
KeyScores finalBassHint(const KeyWorkspace &workspace, double hint)
{
    KeyScores logFinal{};
    if (workspace.finalBass() >= 0)
        for (std::size_t k = 0; k < 24; ++k)
            if (int(k % 12) == workspace.finalBass())
                logFinal[k] = hint;
    return logFinal;
}

void sharpen(std::vector<KeyScores> &logEmission, double sharpness)
{
    for (KeyScores &scores : logEmission)
        for (double &s : scores)
            s *= sharpness;
}

// Each window's chord, scored for every key. Without rates the local keys stay the global
// key's model's, as they were: none.
std::vector<KeyScores> windowChordEvidence(const KeyWorkspace &workspace, const LocalKeyOptions &options)
{
    if (options.changeRates.empty()
        || (options.chordWeight == 0 && options.chordRateWeight == 0 && options.chordSlowWeight == 0))
        return {};
    return chordEvidence(windowChords(workspace.windows(), options.chordFinding),
                         options.chordEvidence ? *options.chordEvidence : fittedChordEvidence(), 1.0);
}

// The chord evidence times weight added to the emissions, `factor` workspace windows a step.
void addChords(std::vector<KeyScores> &logEmission, const KeyEvidence &evidence, double weight, std::size_t factor)
{
    if (evidence.chords.empty() || weight == 0)
        return;
    for (std::size_t w = 0; w < evidence.chords.size(); ++w)
        for (std::size_t k = 0; k < 24; ++k)
            logEmission[std::min(w / factor, logEmission.size() - 1)][k] += weight * evidence.chords[w][k];
}

// The rate the keys change at: the one given, or of several the one under which the piece is
// likeliest at a low sharpness (neighbouring windows share harmony), plus the prior's bonus
// for faster rates: a short piece says little about its rate. Without rates, the global key's.
double changeRate(const KeyEvidence &evidence)
{
    const AnalysisOptions &analysis = evidence.analysis;
    const LocalKeyOptions &options = analysis.local;
    if (options.changeRates.empty())
        return -std::log(analysis.stay) / analysis.globalQuarters;
    if (options.changeRates.size() == 1)
        return options.changeRates.front();
    std::vector<KeyScores> judged = evidence.correlations;
    sharpen(judged, options.rateSharpness);
    addChords(judged, evidence, options.chordRateWeight, 1);
    const Likelihoods emission = likelihoods(judged, finalBassHint(evidence.workspace, options.finalBassHint));
    double bestScore = -std::numeric_limits<double>::infinity();
    double best = -std::log(analysis.stay) / analysis.globalQuarters;
    for (double rate : options.changeRates) {
        const KeyTransitions t = keyTransitions(windowStay(rate, evidence.quarters), evidence.changes);
        const double score = logLikelihood(emission, t) + options.rateBonus * std::log2(rate / options.changeRates.front());
        if (score > bestScore) {
            bestScore = score;
            best = rate;
        }
    }
    return best;
}

// Slow keys: the global key's windows and emissions, each path step spread over the
// workspace windows it merges.
LocalKeys slowKeys(const KeyEvidence &evidence, double rate)
{
    const AnalysisOptions &analysis = evidence.analysis;
    const LocalKeyOptions &options = analysis.local;
    const std::vector<WindowDurations> coarse = mergedWindows(evidence.workspace, analysis.globalQuarters);
    const std::size_t factor = mergeFactor(evidence.workspace, analysis.globalQuarters);
    std::vector<double> noteTime;
    std::vector<KeyScores> logEmission = windowCorrelations(coarse, evidence.templates, analysis.bassWeight, noteTime);
    sharpen(logEmission, analysis.sharpness);
    addChords(logEmission, evidence, options.chordSlowWeight, factor);
    const KeyTransitions t =
        options.changeRates.empty()
            ? keyTransitions(analysis.stay, evidence.changes)
            : keyTransitions(windowStay(rate, evidence.quarters * double(factor)), evidence.changes);
    const KeyScores logFinal = finalBassHint(evidence.workspace, analysis.finalBassHint);
    const std::vector<int> path = likeliestKeys(logEmission, t, logFinal);
    const std::vector<double> shares = pathShares(logEmission, t, logFinal, path, options.confidenceTemper);
    LocalKeys result;
    result.changeRate = rate;
    result.keys.resize(evidence.workspace.windows().size());
    result.shares.resize(result.keys.size());
    for (std::size_t w = 0; w < result.keys.size(); ++w) {
        result.keys[w] = path[std::min(w / factor, path.size() - 1)];
        result.shares[w] = shares[std::min(w / factor, path.size() - 1)];
    }
    return result;
}

// Faster keys, in the workspace's windows; they read from fewer notes each, so the sharpness
// grows with the rate.
LocalKeys fastKeys(const KeyEvidence &evidence, double rate)
{
    const LocalKeyOptions &options = evidence.analysis.local;
    std::vector<KeyScores> logEmission = evidence.correlations;
    sharpen(logEmission, options.sharpness * std::pow(rate * 64, options.sharpnessGrowth));
    addChords(logEmission, evidence, options.chordWeight, 1);
    const KeyTransitions t = keyTransitions(windowStay(rate, evidence.quarters), evidence.changes);
    const KeyScores logFinal = finalBassHint(evidence.workspace, options.finalBassHint);
    LocalKeys result;
    result.changeRate = rate;
    result.keys = likeliestKeys(logEmission, t, logFinal);
    result.shares = pathShares(logEmission, t, logFinal, result.keys, options.confidenceTemper);
    return result;
}

} // namespace

const ChangeWeights &fittedChanges()
{
    static const ChangeWeights changes = {FittedChangesFromMajor, FittedChangesFromMinor};
    return changes;
}

std::vector<WindowDurations> mergedWindows(const KeyWorkspace &workspace, int quarters)
{
    const std::size_t factor = mergeFactor(workspace, quarters);
    const std::vector<WindowDurations> &windows = workspace.windows();
    if (factor == 1)
        return windows;
    std::vector<WindowDurations> out((windows.size() + factor - 1) / factor);
    for (std::size_t w = 0; w < windows.size(); ++w)
        for (std::size_t pc = 0; pc < 12; ++pc) {
            out[w / factor].sounding[pc] += windows[w].sounding[pc];
            out[w / factor].bass[pc] += windows[w].bass[pc];
        }
    return out;
}

LocalKeys localKeys(const KeyWorkspace &workspace, const KeyTemplates &templates, const AnalysisOptions &analysis)
{
    const LocalKeyOptions &options = analysis.local;
    KeyEvidence evidence{workspace, templates, analysis, options.changes ? *options.changes : fittedChanges(),
                         double(workspace.windowTicks()) / workspace.ticksPerQuarter(), {}, {}};
    std::vector<double> noteTime;
    evidence.correlations = windowCorrelations(workspace.windows(), templates, analysis.bassWeight, noteTime);
    evidence.chords = windowChordEvidence(workspace, options);
    const double rate = changeRate(evidence);
    if (options.changeRates.empty() || rate <= options.coarseBelow)
        return slowKeys(evidence, rate);
    return fastKeys(evidence, rate);
}

} // namespace tunedeck::profile
