#include "core/chords/chorddecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tunedeck::chords {

namespace {

// The probabilistic reading of a change cost over a vocabulary of k classes: staying has
// probability 1 - e, each other class e / (k - 1), with log(e / (k - 1) / (1 - e)) = -cost.
struct Transition {
    float stay, move;
    Transition(float cost, std::size_t vocabulary)
    {
        const double r = std::exp(-double(cost)) * double(vocabulary - 1); // e / (1 - e)
        stay = float(1 / (1 + r));
        move = float(r / (1 + r) / double(vocabulary - 1));
    }
};

void scale(float *a, std::size_t k)
{
    float sum = 0;
    for (std::size_t c = 0; c < k; ++c)
        sum += a[c];
    const float by = sum > 0 ? 1 / sum : 0;
    for (std::size_t c = 0; c < k; ++c)
        a[c] *= by;
}

} // namespace

Decoded decodeStates(const std::vector<float> &scores, std::size_t k, std::size_t vocabulary,
                     const std::vector<float> &change, bool withPosteriors)
{
    Decoded out;
    const std::size_t n = k > 0 ? scores.size() / k : 0;
    if (n == 0)
        return out;
    // Viterbi: a state either stays or is entered from the best state of the frame before.
    std::vector<std::uint8_t> stayed(n * k);
    std::vector<std::uint32_t> bestBefore(n, 0);
    std::vector<float> score(scores.begin(), scores.begin() + std::ptrdiff_t(k));
    for (std::size_t t = 1; t < n; ++t) {
        const auto best = std::size_t(std::max_element(score.begin(), score.end()) - score.begin());
        bestBefore[t] = std::uint32_t(best);
        const float entered = score[best] - change[t];
        const float *e = scores.data() + t * k;
        for (std::size_t c = 0; c < k; ++c) {
            const bool stays = score[c] >= entered;
            stayed[t * k + c] = stays;
            score[c] = (stays ? score[c] : entered) + e[c];
        }
    }
    out.path.assign(n, 0);
    out.path[n - 1] = int(std::max_element(score.begin(), score.end()) - score.begin());
    for (std::size_t t = n - 1; t > 0; --t)
        out.path[t - 1] = stayed[t * k + std::size_t(out.path[t])] ? out.path[t] : int(bestBefore[t]);
    if (withPosteriors)
        out.posterior = pathPosteriors(scores, k, vocabulary, change, out.path);
    return out;
}

std::vector<float> pathPosteriors(const std::vector<float> &scores, std::size_t k, std::size_t vocabulary,
                                  const std::vector<float> &change, const std::vector<int> &path)
{
    const std::size_t n = k > 0 ? scores.size() / k : 0;
    std::vector<float> posterior(n, 0);
    if (n == 0)
        return posterior;
    vocabulary = std::max(vocabulary, std::max<std::size_t>(k, 2));
    // Forward and backward over the same model, each frame scaled to sum 1, for the posteriors.
    std::vector<float> likely(n * k), forward(n * k);
    for (std::size_t t = 0; t < n; ++t) {
        const float *e = scores.data() + t * k;
        const float top = *std::max_element(e, e + k);
        for (std::size_t c = 0; c < k; ++c)
            likely[t * k + c] = std::exp(e[c] - top);
    }
    std::copy(likely.begin(), likely.begin() + std::ptrdiff_t(k), forward.begin());
    scale(forward.data(), k);
    for (std::size_t t = 1; t < n; ++t) {
        const Transition tr(change[t], vocabulary);
        const float *before = forward.data() + (t - 1) * k;
        float *now = forward.data() + t * k;
        // The states left out hold no probability: what moves out of one is spread over all.
        for (std::size_t c = 0; c < k; ++c)
            now[c] = likely[t * k + c] * (before[c] * (tr.stay - tr.move) + tr.move);
        scale(now, k);
    }
    std::vector<float> backward(k, 1.f / float(k)), next(k);
    for (std::size_t t = n; t-- > 0;) {
        const float *f = forward.data() + t * k;
        float total = 0;
        for (std::size_t c = 0; c < k; ++c)
            total += f[c] * backward[c];
        const auto on = std::size_t(path[t]);
        posterior[t] = total > 0 ? f[on] * backward[on] / total : 0;
        if (t == 0)
            break;
        const Transition tr(change[t], vocabulary);
        float ahead = 0;
        for (std::size_t c = 0; c < k; ++c) {
            next[c] = likely[t * k + c] * backward[c];
            ahead += next[c];
        }
        for (std::size_t c = 0; c < k; ++c)
            backward[c] = (tr.stay - tr.move) * next[c] + tr.move * ahead;
        scale(backward.data(), k);
    }
    return posterior;
}

} // namespace tunedeck::chords
