#include "livescore/livecalibrate.h"

#include "common/fittedheader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace tunedeck::livescore {

using profile::LiveCalibrationInputs;
using profile::LiveCalibrationWeights;
using Inputs = std::array<double, LiveCalibrationInputs>;
using Free = std::array<bool, LiveCalibrationInputs>;

namespace {

constexpr int Groups = 6;
constexpr std::array<const char *, Groups> GroupNames{"pop909 multi-region", "pop909 all", "bach",
                                                      "wir songs", "wir textbooks", "all, sets alike"};

bool inGroup(const LiveFile &f, int g)
{
    switch (g) {
    case 0: return f.set == Set::Pop && f.multiRegion;
    case 1: return f.set == Set::Pop;
    case 2: return f.set == Set::Chorales;
    case 3: return f.set == Set::Songs;
    case 4: return f.set == Set::Textbooks;
    default: return true;
    }
}

double logit(const LiveCalibrationWeights &w, const Inputs &x)
{
    double z = 0;
    for (std::size_t j = 0; j < LiveCalibrationInputs; ++j)
        z += w[j] * x[j];
    return z;
}

double loss(const std::vector<ConfidenceSample> &samples, const std::vector<Inputs> &x,
            const std::vector<bool> &included, const LiveCalibrationWeights &w)
{
    double sum = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!included[i])
            continue;
        const double z = logit(w, x[i]);
        // -y log p - (1 - y) log(1 - p), without overflow
        const double y = samples[i].right;
        sum += samples[i].weight * (std::log1p(std::exp(-std::abs(z))) + std::max(z, 0.0) - y * z);
    }
    return sum;
}

// Solves a x = b in place by elimination with partial pivoting; false when singular.
bool solve(std::array<std::array<double, LiveCalibrationInputs>, LiveCalibrationInputs> a, Inputs &b)
{
    constexpr std::size_t n = LiveCalibrationInputs;
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t pivot = c;
        for (std::size_t r = c + 1; r < n; ++r)
            if (std::abs(a[r][c]) > std::abs(a[pivot][c]))
                pivot = r;
        if (!(std::abs(a[pivot][c]) > 1e-300))
            return false;
        std::swap(a[c], a[pivot]);
        std::swap(b[c], b[pivot]);
        for (std::size_t r = 0; r < n; ++r) {
            if (r == c)
                continue;
            const double f = a[r][c] / a[c][c];
            for (std::size_t k = c; k < n; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (std::size_t c = 0; c < n; ++c)
        b[c] /= a[c][c];
    return true;
}

struct Table {
    std::array<double, CalibrationBins> seconds{}, weight{}, confidence{}, right{};
    double ece() const
    {
        double total = 0, error = 0;
        for (int b = 0; b < CalibrationBins; ++b) {
            total += weight[b];
            error += std::abs(confidence[b] - right[b]);
        }
        return total > 0 ? error / total : 0;
    }
    double meanConfidence() const
    {
        double c = 0, w = 0;
        for (int b = 0; b < CalibrationBins; ++b) {
            c += confidence[b];
            w += weight[b];
        }
        return w > 0 ? c / w : 0;
    }
};

// The confidences' tables by tenths, per group.
std::array<Table, Groups> tables(const std::vector<ConfidenceSample> &samples, const std::vector<double> &confidence)
{
    std::array<Table, Groups> out{};
    for (std::size_t i = 0; i < samples.size(); ++i)
        for (int g = 0; g < Groups; ++g)
            if (inGroup(*samples[i].file, g)) {
                const std::size_t b = std::size_t(std::clamp(int(confidence[i] * CalibrationBins), 0, CalibrationBins - 1));
                Table &t = out[std::size_t(g)];
                t.seconds[b] += 1;
                t.weight[b] += samples[i].weight;
                t.confidence[b] += samples[i].weight * confidence[i];
                t.right[b] += samples[i].weight * samples[i].right;
            }
    return out;
}

std::string describe(const LiveCalibrationWeights &w)
{
    char text[240];
    std::snprintf(text, sizeof text,
                  "%+.4f %+.4f log odds %+.4f log(1 + steady s) %+.4f log(1 + heard s) %+.4f correlation "
                  "%+.4f lead %+.4f agreement %+.4f / (1 + heard s)",
                  w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]);
    return text;
}

struct InputSet {
    const char *name;
    Free free;
};
constexpr std::array<InputSet, 9> InputSets{{
    {"log odds", {true, true, false, false, false, false, false, false}},
    {"log odds, steady", {true, true, true, false, false, false, false, false}},
    {"log odds, heard", {true, true, false, true, false, false, false, false}},
    {"log odds, steady, heard", {true, true, true, true, false, false, false, false}},
    {"log odds, fit", {true, true, false, false, true, true, false, false}},
    {"log odds, agreement", {true, true, false, false, false, false, true, false}},
    {"log odds, fit, agreement", {true, true, false, false, true, true, true, false}},
    {"all but early", {true, true, true, true, true, true, true, false}},
    {"all", {true, true, true, true, true, true, true, true}},
}};

struct Choice {
    const char *name;
    Free free;
    double heldLoss = 0;
    std::vector<double> held; // each second's confidence, fitted without its fold
};

// Which inputs: every set of them tried, each fold's seconds with the weights fitted on the
// other folds.
std::vector<Choice> heldOutChoices(const std::vector<ConfidenceSample> &samples, const std::vector<LiveFile> &files,
                                   int folds)
{
    std::vector<Choice> choices;
    for (const auto &[name, free] : InputSets)
        choices.push_back({name, free, 0, {}});
    std::map<std::string, int> foldOf = dealFolds(files, folds);
    std::vector<Inputs> x;
    for (const ConfidenceSample &s : samples)
        x.push_back(profile::liveCalibrationInputs(s.features));
    for (Choice &c : choices) {
        c.held.assign(samples.size(), 0);
        for (int k = 0; k < folds; ++k) {
            std::vector<bool> train, test;
            for (const ConfidenceSample &s : samples) {
                train.push_back(foldOf[s.file->group] != k);
                test.push_back(!train.back());
            }
            const LiveCalibrationWeights w = fitLiveCalibration(samples, train, c.free);
            c.heldLoss += loss(samples, x, test, w);
            for (std::size_t i = 0; i < samples.size(); ++i)
                if (test[i])
                    c.held[i] = profile::liveConfidence(samples[i].features, w);
        }
    }
    return choices;
}

// The choice with the lowest held-out log loss, every set alike; the first of equals.
std::size_t lowestLoss(const std::vector<Choice> &choices)
{
    std::size_t best = 0;
    double lowest = INFINITY;
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].heldLoss < lowest) {
            lowest = choices[i].heldLoss;
            best = i;
        }
    return best;
}

} // namespace

std::vector<ConfidenceSample> confidenceSamples(const std::vector<LiveFile> &files,
                                                const profile::TrackerOptions &options)
{
    std::array<double, 4> filesInSet{};
    for (const LiveFile &f : files)
        filesInSet[std::size_t(f.set)] += 1;
    std::vector<ConfidenceSample> out;
    for (const LiveFile &f : files) {
        std::vector<profile::LiveConfidenceFeatures> features;
        const std::vector<profile::ProfileReading> shown = readEverySecond(f, options, &features);
        const std::vector<SecondScore> seconds = scoreSeconds(f, shown, f.secondTicks);
        double total = 0;
        for (const SecondScore &s : seconds)
            total += s.total;
        for (std::size_t s = 0; s < seconds.size(); ++s)
            if (isKeyCode(shown[s].keyCode) && seconds[s].total > 0)
                out.push_back({&f, features[s], seconds[s].total / total / filesInSet[std::size_t(f.set)],
                               seconds[s].right / seconds[s].total});
    }
    return out;
}

LiveCalibrationWeights fitLiveCalibration(const std::vector<ConfidenceSample> &samples,
                                          const std::vector<bool> &included, const Free &free)
{
    std::vector<Inputs> x;
    for (const ConfidenceSample &s : samples) {
        x.push_back(profile::liveCalibrationInputs(s.features));
        for (std::size_t j = 0; j < LiveCalibrationInputs; ++j)
            x.back()[j] *= free[j] ? 1 : 0;
    }
    // Convex, so Newton's steps halved until the loss falls reach the minimum.
    LiveCalibrationWeights w{};
    double current = loss(samples, x, included, w);
    for (int step = 0; step < 100; ++step) {
        Inputs g{};
        std::array<Inputs, LiveCalibrationInputs> h{};
        for (std::size_t j = 0; j < LiveCalibrationInputs; ++j)
            h[j][j] = 1e-9; // keeps the inputs left out (all 0) from making it singular
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (!included[i])
                continue;
            const double z = logit(w, x[i]);
            const double p = 1 / (1 + std::exp(-z)), a = samples[i].weight;
            for (std::size_t j = 0; j < LiveCalibrationInputs; ++j) {
                g[j] += a * (p - samples[i].right) * x[i][j];
                for (std::size_t k = 0; k < LiveCalibrationInputs; ++k)
                    h[j][k] += a * p * (1 - p) * x[i][j] * x[i][k];
            }
        }
        if (!solve(h, g))
            break;
        LiveCalibrationWeights next = w;
        double after = current;
        for (double scale = 1; scale > 1e-12; scale /= 2) {
            for (std::size_t j = 0; j < LiveCalibrationInputs; ++j)
                next[j] = w[j] - scale * g[j];
            if ((after = loss(samples, x, included, next)) <= current)
                break;
        }
        if (!(after <= current))
            break;
        w = next;
        const bool settled = current - after < 1e-12 * std::max(1.0, current);
        current = after;
        if (settled)
            break;
    }
    return w;
}

LiveCalibrationWeights calibrationReport(const std::vector<LiveFile> &files,
                                         const profile::TrackerOptions &options, int folds, bool table)
{
    const std::vector<ConfidenceSample> samples = confidenceSamples(files, options);
    std::vector<double> before;
    for (const ConfidenceSample &s : samples)
        before.push_back(profile::liveConfidence(s.features, profile::UncalibratedLive));
    const std::array<Table, Groups> raw = tables(samples, before);
    const std::vector<Choice> choices = heldOutChoices(samples, files, folds);
    std::printf("%-22s %9s", "inputs (held out)", "log loss");
    for (int g = 0; g < Groups; ++g)
        std::printf(" | %s ECE", GroupNames[g]);
    std::printf("\n%-22s %9s", "none", "");
    for (int g = 0; g < Groups; ++g)
        std::printf(" | %*.1f", int(std::string(GroupNames[g]).size()) + 4, 100 * raw[g].ece());
    std::printf("\n");
    for (const Choice &c : choices) {
        const std::array<Table, Groups> t = tables(samples, c.held);
        std::printf("%-22s %9.5f", c.name, c.heldLoss);
        for (int g = 0; g < Groups; ++g)
            std::printf(" | %*.1f", int(std::string(GroupNames[g]).size()) + 4, 100 * t[g].ece());
        std::printf("\n");
    }
    const Choice &chosen = choices[lowestLoss(choices)];
    const std::array<Table, Groups> after = tables(samples, chosen.held);
    if (table) {
        std::printf("Reliability, %d folds held out (seconds showing a key; right: share of their note time, "
                    "files alike):\n",
                    folds);
        for (int g = 0; g < Groups; ++g) {
            std::printf("%s: ECE %.1f -> %.1f points, mean confidence %.1f -> %.1f %%\n", GroupNames[g],
                        100 * raw[g].ece(), 100 * after[g].ece(), 100 * raw[g].meanConfidence(),
                        100 * after[g].meanConfidence());
            std::printf("  %-7s | %7s %9s %6s | %7s %9s %6s\n", "decile", "seconds", "confident", "right", "seconds",
                        "confident", "right");
            for (int b = 0; b < CalibrationBins; ++b) {
                const auto cell = [&](const Table &t) {
                    if (t.weight[b] > 0)
                        std::printf(" | %7.0f %8.1f%% %5.1f%%", t.seconds[b], 100 * t.confidence[b] / t.weight[b],
                                    100 * t.right[b] / t.weight[b]);
                    else
                        std::printf(" | %7s %9s %6s", "0", "", "");
                };
                std::printf("  %3d-%3d%%", 10 * b, 10 * b + 10);
                cell(raw[g]);
                cell(after[g]);
                std::printf("\n");
            }
        }
    }
    const LiveCalibrationWeights w = fitLiveCalibration(samples, std::vector<bool>(samples.size(), true), chosen.free);
    std::printf("fitted on all: %s\n", describe(w).c_str());
    return w;
}

LiveCalibrationWeights fitChosenCalibration(const std::vector<LiveFile> &files, const profile::TrackerOptions &options,
                                            int folds)
{
    const std::vector<ConfidenceSample> samples = confidenceSamples(files, options);
    const std::vector<Choice> choices = heldOutChoices(samples, files, folds);
    return fitLiveCalibration(samples, std::vector<bool>(samples.size(), true), choices[lowestLoss(choices)].free);
}

std::string liveCalibrationHeader(const LiveCalibrationWeights &w, int folds)
{
    std::string numbers;
    for (std::size_t j = 0; j < LiveCalibrationInputs; ++j)
        numbers += (j ? ", " : "") + tools::fixed(w[j], 4);
    return "// Written by `cmake --build build --target fit-tables` (tunedeck-livescore --fit-tables)\n"
           "// from the shared corpus (pop909, bach, wir songs and textbook examples; every set and\n"
           "// every file of a set weighing alike): a logistic regression of the key shown being the\n"
           "// annotated one, second by second, the tracker at its defaults with the fitted profile in\n"
           "// force. Its inputs are those of liveCalibrationInputs; the set of them was chosen by\n"
           "// held-out log loss, " + std::to_string(folds) + " folds grouped by piece (songs by composer), and those left out\n"
           "// stay 0. Reliability in docs/PROFILE-ANALYSIS.md.\n"
           "#ifndef TUNEDECK_CORE_PROFILE_FITTEDLIVECALIBRATION_H\n"
           "#define TUNEDECK_CORE_PROFILE_FITTEDLIVECALIBRATION_H\n\n"
           "#include <array>\n\n"
           "namespace tunedeck::profile {\n\n"
           "// 1, log odds, log(1 + steady seconds), log(1 + heard seconds), correlation, lead,\n"
           "// agreement, 1 / (1 + heard seconds)\n"
           "inline constexpr std::array<double, 8> FittedLiveCalibration{" + numbers + "};\n\n"
           "} // namespace tunedeck::profile\n\n#endif\n";
}

} // namespace tunedeck::livescore
