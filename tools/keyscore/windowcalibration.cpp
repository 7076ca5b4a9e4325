#include "keyscore/windowcalibration.h"

#include "keyscore/calibration.h"
#include "keyscore/scoring.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <numeric>

namespace tunedeck::keyscore {

using namespace profile;

namespace {

double logOdds(double share)
{
    return std::clamp(std::log(share / (1 - share)), -12.0, 12.0);
}

const char *setOf(const CorpusFile &f)
{
    switch (f.kind) {
    case Kind::Pop: return "pop909";
    case Kind::Chorale: return "bach";
    case Kind::Song: return "wir songs";
    case Kind::Textbook: return "wir textbooks";
    case Kind::Other: break;
    }
    return "other";
}

struct Bins {
    std::array<double, 10> weight{}, confidence{}, right{};
    double logLoss = 0, total = 0;

    void add(double c, double right_, double w)
    {
        const std::size_t b = std::min<std::size_t>(std::size_t(c * 10), 9);
        weight[b] += w;
        confidence[b] += w * c;
        right[b] += w * right_;
        const double p = std::clamp(c, 1e-6, 1 - 1e-6);
        logLoss -= w * (right_ * std::log(p) + (1 - right_) * std::log(1 - p));
        total += w;
    }
    double ece() const
    {
        double sum = 0;
        for (std::size_t b = 0; b < 10; ++b)
            sum += std::abs(confidence[b] - right[b]);
        return total > 0 ? sum / total : 0;
    }
};

} // namespace

std::vector<WindowSample> windowSamples(const std::vector<CorpusFile> &files, const std::vector<ProfileAnalysis> &analyses)
{
    std::vector<WindowSample> out;
    std::map<std::string, int> filesPerSet;
    std::vector<std::size_t> firstOf;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const CorpusFile &f = files[i];
        const ProfileAnalysis &a = analyses[i];
        std::vector<Region> regions = f.regions;
        if (regions.empty() && f.kind == Kind::Chorale)
            regions.push_back({{0, std::numeric_limits<std::int64_t>::max()}, f.keyCode});
        if (regions.empty() || a.windowShares.empty())
            continue;
        const std::size_t first = out.size();
        double fileTime = 0;
        for (std::size_t w = 0; w < a.windowKeys.size(); ++w) {
            const std::int64_t from = std::int64_t(w) * a.windowTicks, to = from + a.windowTicks;
            double time = 0, right = 0;
            for (const Region &r : regions) {
                const std::int64_t a0 = std::max(from, r.span.start), b0 = std::min(to, r.span.end);
                if (a0 >= b0)
                    continue;
                const double t = soundingBetween(f.sounding, a0, b0);
                time += t;
                right += r.keyCode == a.windowKeys[w] ? t : 0;
            }
            if (time <= 0)
                continue;
            out.push_back({a.windowShares[w], right / time, time, i});
            fileTime += time;
        }
        for (std::size_t s = first; s < out.size(); ++s)
            out[s].weight /= fileTime;
        ++filesPerSet[setOf(f)];
    }
    // Every set alike: each file's windows weigh 1 / (files of its set).
    for (WindowSample &s : out)
        s.weight /= filesPerSet[setOf(files[s.file])];
    return out;
}

Calibration fitWindowCalibration(const std::vector<WindowSample> &samples, const std::vector<bool> &included)
{
    std::vector<LogisticPoint> points;
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (included[i])
            points.push_back({logOdds(samples[i].share), samples[i].right, samples[i].weight});
    return fitLogistic(points, {0, 1}, 1e-12);
}

void printWindowCalibration(const std::vector<CorpusFile> &files, const std::vector<WindowSample> &samples, int folds)
{
    const std::vector<int> foldOf = groupFolds(files, folds);
    std::vector<Calibration> heldOut(samples.size());
    for (int fold = 0; fold < folds; ++fold) {
        std::vector<bool> training(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            training[i] = foldOf[samples[i].file] != fold;
        const Calibration c = fitWindowCalibration(samples, training);
        std::printf("  fold %d: intercept %.3f, slope %.3f\n", fold + 1, c.intercept, c.slope);
        for (std::size_t i = 0; i < samples.size(); ++i)
            if (!training[i])
                heldOut[i] = c;
    }
    std::map<std::string, std::array<Bins, 2>> sets;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const WindowSample &s = samples[i];
        for (const std::string &set : {std::string(setOf(files[s.file])), std::string("all, sets alike")}) {
            sets[set][0].add(s.share, s.right, s.weight);
            sets[set][1].add(windowConfidence(s.share, heldOut[i]), s.right, s.weight);
        }
    }
    for (const auto &[set, bins] : sets) {
        std::printf("  %-16s ECE %4.1f -> %4.1f points, log loss %.3f -> %.3f, mean confidence %5.1f -> %5.1f %%, right "
                    "%5.1f %%\n",
                    set.c_str(), 100 * bins[0].ece(), 100 * bins[1].ece(), bins[0].logLoss / bins[0].total,
                    bins[1].logLoss / bins[1].total,
                    100 * std::accumulate(bins[0].confidence.begin(), bins[0].confidence.end(), 0.0) / bins[0].total,
                    100 * std::accumulate(bins[1].confidence.begin(), bins[1].confidence.end(), 0.0) / bins[1].total,
                    100 * std::accumulate(bins[0].right.begin(), bins[0].right.end(), 0.0) / bins[0].total);
        if (set != "all, sets alike")
            continue;
        for (std::size_t b = 0; b < 10; ++b)
            std::printf("    %3zu-%3zu %%: before %5.1f %% of the weight, confidence %5.1f %%, right %5.1f %% | held out "
                        "%5.1f %%, confidence %5.1f %%, right %5.1f %%\n",
                        10 * b, 10 * b + 10, 100 * bins[0].weight[b] / bins[0].total,
                        bins[0].weight[b] > 0 ? 100 * bins[0].confidence[b] / bins[0].weight[b] : 0.0,
                        bins[0].weight[b] > 0 ? 100 * bins[0].right[b] / bins[0].weight[b] : 0.0,
                        100 * bins[1].weight[b] / bins[1].total,
                        bins[1].weight[b] > 0 ? 100 * bins[1].confidence[b] / bins[1].weight[b] : 0.0,
                        bins[1].weight[b] > 0 ? 100 * bins[1].right[b] / bins[1].weight[b] : 0.0);
    }
    const Calibration all = fitWindowCalibration(samples, std::vector<bool>(samples.size(), true));
    std::printf("  fitted on all: intercept %.4f, slope %.4f\n", all.intercept, all.slope);
}

} // namespace tunedeck::keyscore
