#include "core/keymodel/keymodelanalysis.h"

#include "core/base/keycodes.h"
#include "core/chords/keysandchords.h"
#include "core/keymodel/fittedkeymodel.h"
#include "core/keymodel/keymodelinputs.h"
#include "core/keymodel/keynetwork.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tunedeck::keymodel {

std::vector<int> keyPath(std::span<const float> p, std::size_t frames, double penalty)
{
    constexpr std::size_t K = KeyClasses;
    std::vector<int> path(frames);
    if (frames == 0)
        return path;
    auto logOf = [&](std::size_t t, std::size_t k) { return std::log(double(p[t * K + k]) + 1e-9); };
    if (penalty <= 0) {
        for (std::size_t t = 0; t < frames; ++t)
            path[t] = decision(p.subspan(t * K, K));
        return path;
    }
    std::array<double, K> score{};
    for (std::size_t k = 0; k < K; ++k)
        score[k] = logOf(0, k);
    std::vector<std::array<std::uint8_t, K>> back(frames);
    for (std::size_t t = 1; t < frames; ++t) {
        const std::size_t best = std::size_t(std::max_element(score.begin(), score.end()) - score.begin());
        const double moved = score[best] - penalty;
        for (std::size_t k = 0; k < K; ++k) {
            const bool stay = score[k] >= moved;
            back[t][k] = std::uint8_t(stay ? k : best);
            score[k] = (stay ? score[k] : moved) + logOf(t, k);
        }
    }
    path[frames - 1] = int(std::max_element(score.begin(), score.end()) - score.begin());
    for (std::size_t t = frames - 1; t > 0; --t)
        path[t - 1] = back[t][std::size_t(path[t])];
    return path;
}

WindowKeys windowKeys(const chords::ChordFrames &frames, std::span<const int> frameKeys,
                      std::span<const float> p, std::int64_t windowTicks, const profile::ProfileAnalysis &fallback)
{
    WindowKeys out;
    const std::size_t windows = fallback.windowKeys.size();
    out.keyCodes = fallback.windowKeys;
    out.shares = fallback.windowShares;
    out.shares.resize(windows, 0.0f);
    if (windowTicks <= 0 || frames.length <= 0)
        return out;
    for (std::size_t w = 0; w < windows; ++w) {
        const std::int64_t from = std::int64_t(w) * windowTicks, to = from + windowTicks;
        std::array<std::int64_t, KeyClasses> held{};
        std::array<double, KeyClasses> probability{};
        // The frames overlapping the window.
        std::int64_t f = std::max<std::int64_t>(0, (from - frames.start) / frames.length);
        for (; f < std::int64_t(frameKeys.size()); ++f) {
            const std::int64_t start = frames.start + f * frames.length, end = start + frames.length;
            if (start >= to)
                break;
            const std::int64_t overlap = std::min(end, to) - std::max(start, from);
            if (overlap <= 0)
                continue;
            const auto k = std::size_t(frameKeys[std::size_t(f)]);
            held[k] += overlap;
            probability[k] += double(overlap) * p[std::size_t(f) * KeyClasses + k];
        }
        const std::size_t best = std::size_t(std::max_element(held.begin(), held.end()) - held.begin());
        if (held[best] == 0)
            continue;
        out.keyCodes[w] = keyCodeAt(int(best));
        out.shares[w] = float(probability[best] / double(held[best]));
    }
    return out;
}

std::vector<chords::ChordSegment> applyKeyModel(const std::vector<NoteEvent> &events, const chords::ChordClock &clock,
                                                profile::ProfileAnalysis &keys)
{
    // One reading of the frames for both chord findings and the network.
    const chords::ChordFrames frames = chords::chordFrames(events, clock.ticksPerQuarter);
    std::vector<chords::ChordSegment> present = chords::analyseChords(frames, clock, keys);
    const std::size_t n = frames.inputs.size();
    if (keys.windowKeys.empty() || keys.regions.empty() || n == 0)
        return present;
    const std::vector<float> inputs = modelInputs(frames, keys, present);
    const NetworkOutputs out = runNetwork(inputs, n);
    const std::vector<int> path = keyPath(out.key, n, fitted::ChangePenalty);
    WindowKeys w = windowKeys(frames, path, out.key, keys.windowTicks, keys);
    // Mostly the network keeps every window's key: the chords found in them stand.
    const bool sameKeys = w.keyCodes == keys.windowKeys;
    keys.windowKeys = std::move(w.keyCodes);
    // The network's probabilities are its confidences: trained on cross-entropy, and measured so.
    keys.windowShares = w.shares;
    keys.windowConfidences = std::move(w.shares);
    placeLocalKeys(keys, keys.regions.back().endTick, clock.ticksPerBar, {clock.barStart, clock.pickup, clock.barLines});
    return sameKeys ? present : chords::analyseChords(frames, clock, keys);
}

void installKeyModel()
{
    chords::installLocalKeyModel(&applyKeyModel);
}

} // namespace tunedeck::keymodel
