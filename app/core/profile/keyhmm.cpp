#include "core/profile/keyhmm.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::profile {

namespace {

// Steps round the circle of fifths between two key indices, one more between the modes.
int keyDistance(int a, int b)
{
    const int steps = std::abs(fifthsPosition(keyCodeAt(a)) - fifthsPosition(keyCodeAt(b)));
    return std::min(steps, 12 - steps) + ((a >= 12) != (b >= 12) ? 1 : 0);
}

KeyScores emission(const KeyScores &logEmission, const KeyScores *logFinal)
{
    KeyScores e = logEmission;
    if (logFinal)
        for (std::size_t k = 0; k < 24; ++k)
            e[k] += (*logFinal)[k];
    const double top = *std::max_element(e.begin(), e.end());
    for (double &v : e)
        v = std::exp(v - top);
    return e;
}

void normalise(KeyScores &p)
{
    double sum = 0;
    for (double v : p)
        sum += v;
    for (double &v : p)
        v = sum > 0 ? v / sum : 1.0 / 24;
}

} // namespace

std::vector<KeyScores> windowCorrelations(const std::vector<WindowDurations> &windows, const KeyTemplates &keys,
                                          double bassWeight, std::vector<double> &noteTime)
{
    std::vector<KeyScores> out(windows.size());
    noteTime.assign(windows.size(), 0.0);
    for (std::size_t w = 0; w < windows.size(); ++w) {
        std::array<double, 12> h{};
        double mean = 0;
        for (std::size_t pc = 0; pc < 12; ++pc) {
            noteTime[w] += double(windows[w].sounding[pc]);
            h[pc] = double(windows[w].sounding[pc]) + bassWeight * double(windows[w].bass[pc]);
            mean += h[pc] / 12;
        }
        double norm = 0;
        for (double &v : h) {
            v -= mean;
            norm += v * v;
        }
        if (norm <= 0)
            continue;
        norm = std::sqrt(norm);
        for (std::size_t k = 0; k < 24; ++k) {
            double dot = 0;
            for (std::size_t pc = 0; pc < 12; ++pc)
                dot += h[pc] * keys[k][pc];
            out[w][k] = dot / norm;
        }
    }
    return out;
}

KeyTransitions keyTransitions(double stay, double fifthsFalloff)
{
    KeyTransitions t;
    stay = std::clamp(stay, 1e-9, 1 - 1e-9);
    for (int from = 0; from < 24; ++from) {
        KeyScores &row = t.probability[std::size_t(from)];
        double spread = 0;
        for (int to = 0; to < 24; ++to)
            if (to != from)
                spread += row[std::size_t(to)] = std::exp(-fifthsFalloff * keyDistance(from, to));
        for (int to = 0; to < 24; ++to) {
            double &p = row[std::size_t(to)];
            p = to == from ? stay : (1 - stay) * p / spread;
            t.logProbability[std::size_t(from)][std::size_t(to)] = std::log(p);
        }
    }
    return t;
}

KeyTransitions keyTransitions(double stay, const ChangeWeights &changes)
{
    KeyTransitions t;
    stay = std::clamp(stay, 1e-9, 1 - 1e-9);
    for (int from = 0; from < 24; ++from) {
        KeyScores &row = t.probability[std::size_t(from)];
        const KeyScores &weights = changes[from >= 12 ? 1 : 0];
        double spread = 0;
        for (int to = 0; to < 24; ++to)
            if (to != from) {
                const int up = (to - from + 24) % 12 + ((to >= 12) != (from >= 12) ? 12 : 0);
                spread += row[std::size_t(to)] = std::max(weights[std::size_t(up)], 1e-12);
            }
        for (int to = 0; to < 24; ++to) {
            double &p = row[std::size_t(to)];
            p = to == from ? stay : (1 - stay) * p / spread;
            t.logProbability[std::size_t(from)][std::size_t(to)] = std::log(p);
        }
    }
    return t;
}

KeyTransitions tempered(const KeyTransitions &transitions, double temper)
{
    KeyTransitions t = transitions;
    for (std::size_t from = 0; from < 24; ++from) {
        double sum = 0;
        for (std::size_t to = 0; to < 24; ++to)
            sum += t.probability[from][to] = std::exp(temper * transitions.logProbability[from][to]);
        for (std::size_t to = 0; to < 24; ++to) {
            t.probability[from][to] /= sum;
            t.logProbability[from][to] = std::log(t.probability[from][to]);
        }
    }
    return t;
}

Likelihoods likelihoods(const std::vector<KeyScores> &logEmission, const KeyScores &logFinal)
{
    Likelihoods out;
    out.values.reserve(logEmission.size());
    for (std::size_t w = 0; w < logEmission.size(); ++w) {
        KeyScores e = logEmission[w];
        if (w + 1 == logEmission.size())
            for (std::size_t k = 0; k < 24; ++k)
                e[k] += logFinal[k];
        const double top = *std::max_element(e.begin(), e.end());
        for (double &v : e)
            v = std::exp(v - top);
        out.values.push_back(e);
        out.logScale += top;
    }
    return out;
}

double logLikelihood(const Likelihoods &emission, const KeyTransitions &transitions)
{
    // In float: every step is normalised, and twice as many go through the vector unit.
    std::array<std::array<float, 24>, 24> p;
    for (std::size_t k = 0; k < 24; ++k)
        for (std::size_t to = 0; to < 24; ++to)
            p[k][to] = float(transitions.probability[k][to]);
    double total = emission.logScale;
    std::array<float, 24> a;
    a.fill(1.0f / 24);
    for (std::size_t w = 0; w < emission.values.size(); ++w) {
        std::array<float, 24> next{};
        if (w == 0)
            next = a;
        else
            for (std::size_t k = 0; k < 24; ++k)
                for (std::size_t to = 0; to < 24; ++to)
                    next[to] += a[k] * p[k][to];
        float sum = 0;
        for (std::size_t k = 0; k < 24; ++k)
            sum += next[k] *= float(emission.values[w][k]);
        const float scale = 1 / sum;
        for (float &v : next)
            v *= scale;
        total += std::log(double(sum));
        a = next;
    }
    return total;
}

std::vector<int> likeliestKeys(const std::vector<KeyScores> &logEmission, const KeyTransitions &transitions,
                               const KeyScores &logFinal)
{
    const std::size_t n = logEmission.size();
    std::vector<int> path(n);
    if (n == 0)
        return path;
    std::vector<std::array<unsigned char, 24>> from(n);
    KeyScores best = logEmission[0];
    for (std::size_t w = 1; w < n; ++w) {
        KeyScores next;
        for (std::size_t to = 0; to < 24; ++to) {
            std::size_t arg = 0;
            double top = best[0] + transitions.logProbability[0][to];
            for (std::size_t k = 1; k < 24; ++k) {
                const double v = best[k] + transitions.logProbability[k][to];
                if (v > top) {
                    top = v;
                    arg = k;
                }
            }
            next[to] = top + logEmission[w][to];
            from[w][to] = static_cast<unsigned char>(arg);
        }
        best = next;
    }
    for (std::size_t k = 0; k < 24; ++k)
        best[k] += logFinal[k];
    int key = int(std::max_element(best.begin(), best.end()) - best.begin());
    for (std::size_t w = n; w-- > 0;) {
        path[w] = key;
        key = from[w][std::size_t(key)];
    }
    return path;
}

std::vector<KeyScores> keyPosteriors(const std::vector<KeyScores> &logEmission, const KeyTransitions &transitions,
                                     const KeyScores &logFinal)
{
    const std::size_t n = logEmission.size();
    std::vector<KeyScores> forward(n);
    if (n == 0)
        return forward;
    // Scaled forward pass: every step normalised, so nothing underflows.
    for (std::size_t w = 0; w < n; ++w) {
        const KeyScores e = emission(logEmission[w], w + 1 == n ? &logFinal : nullptr);
        KeyScores &a = forward[w];
        for (std::size_t to = 0; to < 24; ++to) {
            double sum = 0;
            if (w == 0)
                sum = 1;
            else
                for (std::size_t k = 0; k < 24; ++k)
                    sum += forward[w - 1][k] * transitions.probability[k][to];
            a[to] = sum * e[to];
        }
        normalise(a);
    }
    // Backward pass, folded into the forward values as it goes.
    KeyScores beta;
    beta.fill(1.0);
    for (std::size_t w = n; w-- > 0;) {
        if (w + 1 < n) {
            const KeyScores e = emission(logEmission[w + 1], w + 2 == n ? &logFinal : nullptr);
            KeyScores next{};
            for (std::size_t k = 0; k < 24; ++k)
                for (std::size_t to = 0; to < 24; ++to)
                    next[k] += transitions.probability[k][to] * e[to] * beta[to];
            normalise(next);
            beta = next;
        }
        for (std::size_t k = 0; k < 24; ++k)
            forward[w][k] *= beta[k];
        normalise(forward[w]);
    }
    return forward;
}

} // namespace tunedeck::profile
