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
    LocalKeys result;
    const double quarters = double(workspace.windowTicks()) / workspace.ticksPerQuarter();
    const ChangeWeights &changes = options.changes ? *options.changes : fittedChanges();
    const auto finalHint = [&](double hint) {
        KeyScores logFinal{};
        if (workspace.finalBass() >= 0)
            for (std::size_t k = 0; k < 24; ++k)
                if (int(k % 12) == workspace.finalBass())
                    logFinal[k] = hint;
        return logFinal;
    };
    std::vector<double> noteTime;
    const std::vector<KeyScores> correlations =
        windowCorrelations(workspace.windows(), templates, analysis.bassWeight, noteTime);
    // Each window's chord, scored for every key. Without rates the local keys stay the global
    // key's model's, as they were.
    std::vector<KeyScores> chordEvidence;
    if (!options.changeRates.empty()
        && (options.chordWeight != 0 || options.chordRateWeight != 0 || options.chordSlowWeight != 0))
        chordEvidence = chordScores(windowChords(workspace.windows(), options.chordFinding),
                                    options.chords ? *options.chords : fittedChords(), 1.0);
    const auto addChords = [&](std::vector<KeyScores> &emission, double weight, std::size_t factor) {
        if (chordEvidence.empty() || weight == 0)
            return;
        for (std::size_t w = 0; w < chordEvidence.size(); ++w)
            for (std::size_t k = 0; k < 24; ++k)
                emission[std::min(w / factor, emission.size() - 1)][k] += weight * chordEvidence[w][k];
    };

    result.changeRate = -std::log(analysis.stay) / analysis.globalQuarters;
    if (options.changeRates.size() == 1) {
        result.changeRate = options.changeRates.front();
    } else if (options.changeRates.size() > 1) {
        // Each rate's likelihood at a low sharpness (neighbouring windows share harmony), plus
        // the prior's bonus for faster rates: a short piece says little about its rate.
        std::vector<KeyScores> judged = correlations;
        for (KeyScores &scores : judged)
            for (double &s : scores)
                s *= options.rateSharpness;
        addChords(judged, options.chordRateWeight, 1);
        const Likelihoods emission = likelihoods(judged, finalHint(options.finalBassHint));
        double bestScore = -std::numeric_limits<double>::infinity();
        for (double rate : options.changeRates) {
            const KeyTransitions t = keyTransitions(windowStay(rate, quarters), changes);
            const double score = logLikelihood(emission, t)
                                 + options.rateBonus * std::log2(rate / options.changeRates.front());
            if (score > bestScore) {
                bestScore = score;
                result.changeRate = rate;
            }
        }
    }

    if (options.changeRates.empty() || result.changeRate <= options.coarseBelow) {
        // Slow keys: the global key's windows and emissions, each path step spread over the
        // workspace windows it merges.
        const std::vector<WindowDurations> coarse = mergedWindows(workspace, analysis.globalQuarters);
        const std::size_t factor = mergeFactor(workspace, analysis.globalQuarters);
        std::vector<KeyScores> logEmission = windowCorrelations(coarse, templates, analysis.bassWeight, noteTime);
        for (KeyScores &scores : logEmission)
            for (double &s : scores)
                s *= analysis.sharpness;
        addChords(logEmission, options.chordSlowWeight, factor);
        const KeyTransitions t = options.changeRates.empty()
                                     ? keyTransitions(analysis.stay, changes)
                                     : keyTransitions(windowStay(result.changeRate, quarters * double(factor)), changes);
        const KeyScores logFinal = finalHint(analysis.finalBassHint);
        const std::vector<int> path = likeliestKeys(logEmission, t, logFinal);
        const std::vector<double> shares = pathShares(logEmission, t, logFinal, path, options.confidenceTemper);
        result.keys.resize(workspace.windows().size());
        result.shares.resize(result.keys.size());
        for (std::size_t w = 0; w < result.keys.size(); ++w) {
            result.keys[w] = path[std::min(w / factor, path.size() - 1)];
            result.shares[w] = shares[std::min(w / factor, path.size() - 1)];
        }
        return result;
    }

    // Faster keys read from fewer notes each: the sharpness grows with the rate.
    std::vector<KeyScores> logEmission = correlations;
    const double sharpness = options.sharpness * std::pow(result.changeRate * 64, options.sharpnessGrowth);
    for (KeyScores &scores : logEmission)
        for (double &s : scores)
            s *= sharpness;
    addChords(logEmission, options.chordWeight, 1);
    const KeyTransitions t = keyTransitions(windowStay(result.changeRate, quarters), changes);
    const KeyScores logFinal = finalHint(options.finalBassHint);
    result.keys = likeliestKeys(logEmission, t, logFinal);
    result.shares = pathShares(logEmission, t, logFinal, result.keys, options.confidenceTemper);
    return result;
}

} // namespace tunedeck::profile
