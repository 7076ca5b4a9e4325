#include "chords/chorddecoder.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::chords {

namespace {

constexpr std::size_t K = ChordClassCount;

// The probabilistic reading of a change cost: staying has probability 1 - e, each other
// class e / (K - 1), with log(e / (K - 1) / (1 - e)) = -cost.
struct Transition {
    float stay, move;
    explicit Transition(float cost)
    {
        const double r = std::exp(-double(cost)) * double(K - 1); // e / (1 - e)
        stay = float(-std::log1p(r));
        move = float(std::log(r / (1 + r) / double(K - 1)));
    }
};

} // namespace

Decoded decodeChords(const std::vector<ClassScores> &emissions, const std::vector<float> &change)
{
    Decoded out;
    const std::size_t n = emissions.size();
    if (n == 0)
        return out;
    // Viterbi: a class either stays or is entered from the best class of the frame before.
    std::vector<std::uint8_t> stayed(n * K);
    std::vector<int> bestBefore(n, 0);
    ClassScores score = emissions[0];
    for (std::size_t t = 1; t < n; ++t) {
        const int best = int(std::max_element(score.begin(), score.end()) - score.begin());
        bestBefore[t] = best;
        const float entered = score[std::size_t(best)] - change[t];
        for (std::size_t c = 0; c < K; ++c) {
            const bool stays = score[c] >= entered;
            stayed[t * K + c] = stays;
            score[c] = (stays ? score[c] : entered) + emissions[t][c];
        }
    }
    out.path.assign(n, 0);
    out.path[n - 1] = int(std::max_element(score.begin(), score.end()) - score.begin());
    for (std::size_t t = n - 1; t > 0; --t)
        out.path[t - 1] = stayed[t * K + std::size_t(out.path[t])] ? out.path[t] : bestBefore[t];

    // Forward and backward over the same model, each frame scaled to sum 1, for the posteriors.
    std::vector<std::array<float, K>> forward(n);
    auto likelihood = [&](std::size_t t) {
        std::array<double, K> p;
        const float top = *std::max_element(emissions[t].begin(), emissions[t].end());
        for (std::size_t c = 0; c < K; ++c)
            p[c] = std::exp(double(emissions[t][c] - top));
        return p;
    };
    auto scale = [](std::array<double, K> &a) {
        double sum = 0;
        for (double v : a)
            sum += v;
        for (double &v : a)
            v /= sum;
    };
    auto keep = [](std::array<float, K> &into, const std::array<double, K> &a) {
        double sum = 0;
        for (double v : a)
            sum += v;
        for (std::size_t c = 0; c < K; ++c)
            into[c] = float(a[c] / sum);
    };
    keep(forward[0], likelihood(0));
    for (std::size_t t = 1; t < n; ++t) {
        const Transition tr(change[t]);
        const double stay = std::exp(double(tr.stay)), move = std::exp(double(tr.move));
        std::array<double, K> p = likelihood(t);
        for (std::size_t c = 0; c < K; ++c)
            p[c] *= double(forward[t - 1][c]) * (stay - move) + move;
        keep(forward[t], p);
    }
    out.posterior.assign(n, 0);
    std::array<double, K> backward;
    backward.fill(1.0 / double(K));
    for (std::size_t t = n; t-- > 0;) {
        double total = 0;
        for (std::size_t c = 0; c < K; ++c)
            total += double(forward[t][c]) * backward[c];
        const auto on = std::size_t(out.path[t]);
        out.posterior[t] = float(double(forward[t][on]) * backward[on] / total);
        if (t == 0)
            break;
        const Transition tr(change[t]);
        const double stay = std::exp(double(tr.stay)), move = std::exp(double(tr.move));
        const std::array<double, K> p = likelihood(t);
        double ahead = 0;
        for (std::size_t c = 0; c < K; ++c)
            ahead += p[c] * backward[c];
        for (std::size_t c = 0; c < K; ++c)
            backward[c] = (stay - move) * p[c] * backward[c] + move * ahead;
        scale(backward);
    }
    return out;
}

} // namespace tunedeck::chords
