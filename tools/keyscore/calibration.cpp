#include "keyscore/calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numeric>

namespace tunedeck::keyscore {

using namespace profile;

namespace {

// The files whose whole-file key is calibrated on, with their cross-validation group: not the
// textbook examples, whose label is the key they start in.
std::optional<std::string> groupOf(const CorpusFile &file)
{
    if (file.kind == Kind::Pop || file.kind == Kind::Chorale || file.kind == Kind::Song)
        return file.group;
    return std::nullopt;
}

std::size_t topOf(const std::array<double, 24> &shares)
{
    return std::size_t(std::max_element(shares.begin(), shares.end()) - shares.begin());
}

// The confidence the analysis shows with this calibration.
double shown(const CalibrationSample &s, const Calibration &c)
{
    const std::vector<KeyCandidate> candidates = keyCandidates(calibratedShares(s.shares, c));
    return candidates.empty() ? 0.0 : candidates.front().confidence;
}

bool right(const CalibrationSample &s)
{
    return int(topOf(s.shares)) == s.label;
}

void printTable(const char *title, const Reliability &r)
{
    std::printf("  %s: %d files, mean confidence %.1f %%, right %.1f %%, ECE %.1f points\n", title, r.files,
                100 * r.confidence, 100 * r.right, 100 * r.ece);
    for (std::size_t b = 0; b < r.bins.size(); ++b)
        if (r.bins[b].files > 0)
            std::printf("    %3zu-%3zu %%: %3d files, mean confidence %5.1f %%, right %5.1f %%\n", 10 * b, 10 * b + 10,
                        r.bins[b].files, 100 * r.bins[b].confidence, 100 * r.bins[b].right);
}

} // namespace

std::optional<CalibrationSample> calibrationSample(const CorpusFile &file, const ProfileAnalysis &analysis)
{
    const std::optional<std::string> group = groupOf(file);
    if (!group || analysis.candidates.empty() || !isKeyCode(file.keyCode))
        return std::nullopt;
    return CalibrationSample{file.set, *group, analysis.keyShares, keyIndex(file.keyCode)};
}

std::vector<CalibrationSample> calibrationSamples(const std::vector<CorpusFile> &files, const AnalysisOptions &options)
{
    std::vector<CalibrationSample> samples;
    for (const CorpusFile &f : files)
        if (groupOf(f))
            if (auto s = calibrationSample(f, analyseProfile(f.events, f.ticksPerQuarter, 0, options)))
                samples.push_back(std::move(*s));
    return samples;
}

Calibration fitLogistic(const std::vector<LogisticPoint> &points, Calibration c, double ridge)
{
    const auto loss = [&](const Calibration &k) {
        double sum = 0;
        for (const auto &[x, y, w] : points) {
            const double z = k.intercept + k.slope * x;
            // -y log p - (1 - y) log(1 - p), p = 1 / (1 + exp(-z)), without overflow
            sum += w * (std::log1p(std::exp(-std::abs(z))) + std::max(z, 0.0) - y * z);
        }
        return sum;
    };
    // Convex, so Newton's steps halved until the loss falls reach the minimum.
    double current = loss(c);
    for (int step = 0; step < 100 && !points.empty(); ++step) {
        double g0 = 0, g1 = 0, h00 = ridge, h01 = 0, h11 = ridge;
        for (const auto &[x, y, w] : points) {
            const double p = calibratedConfidence(x, c), v = w * p * (1 - p);
            g0 += w * (p - y);
            g1 += w * (p - y) * x;
            h00 += v;
            h01 += v * x;
            h11 += v * x * x;
        }
        const double det = h00 * h11 - h01 * h01;
        if (!(det > 0))
            break;
        const double d0 = (h11 * g0 - h01 * g1) / det, d1 = (h00 * g1 - h01 * g0) / det;
        Calibration next = c;
        double after = current;
        for (double scale = 1; scale > 1e-12; scale /= 2) {
            next = {c.intercept - scale * d0, c.slope - scale * d1};
            if ((after = loss(next)) <= current)
                break;
        }
        if (!(after <= current))
            break;
        c = next;
        const bool settled = current - after < 1e-12;
        current = after;
        if (settled)
            break;
    }
    return c;
}

Calibration fitCalibration(const std::vector<CalibrationSample> &samples, const std::vector<bool> &included)
{
    // Logistic regression of the first key being right on its share's log odds; files whose
    // first key holds all the time carry no log odds and are left out.
    std::vector<LogisticPoint> points;
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (const double x = firstLogOdds(samples[i].shares); included[i] && std::isfinite(x))
            points.push_back({x, right(samples[i]) ? 1.0 : 0.0, 1.0});
    return fitLogistic(points, {0, 0}, 1e-9);
}

Reliability reliability(const std::vector<CalibrationSample> &samples, const std::vector<Calibration> &calibrations,
                        const std::string &set)
{
    Reliability r;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!set.empty() && samples[i].set != set)
            continue;
        const double c = shown(samples[i], calibrations[i]);
        ReliabilityBin &bin = r.bins[std::min(std::size_t(c * 10), r.bins.size() - 1)];
        ++bin.files;
        bin.confidence += c;
        bin.right += right(samples[i]);
        ++r.files;
        r.confidence += c;
        r.right += right(samples[i]);
    }
    for (ReliabilityBin &bin : r.bins)
        if (bin.files > 0) {
            bin.confidence /= bin.files;
            bin.right /= bin.files;
            r.ece += bin.files * std::abs(bin.confidence - bin.right);
        }
    if (r.files > 0) {
        r.ece /= r.files;
        r.confidence /= r.files;
        r.right /= r.files;
    }
    return r;
}

std::vector<int> groupFolds(const std::vector<CalibrationSample> &samples, int folds)
{
    std::vector<std::string> groups;
    for (const CalibrationSample &s : samples)
        groups.push_back(s.group);
    return foldsOfGroups(groups, folds);
}

std::vector<Calibration> crossValidated(const std::vector<CalibrationSample> &samples, int folds,
                                       std::vector<Calibration> *perFold)
{
    const std::vector<int> fold = groupFolds(samples, folds);
    std::vector<Calibration> out(samples.size());
    for (int f = 0; f < folds; ++f) {
        std::vector<bool> training(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            training[i] = fold[i] != f;
        const Calibration c = fitCalibration(samples, training);
        if (perFold)
            perFold->push_back(c);
        for (std::size_t i = 0; i < samples.size(); ++i)
            if (!training[i])
                out[i] = c;
    }
    return out;
}

void printCalibration(const std::vector<CalibrationSample> &samples, int folds)
{
    std::vector<Calibration> perFold;
    const std::vector<Calibration> before(samples.size(), Calibration{0, 1}),
        after = crossValidated(samples, folds, &perFold);
    const std::vector<int> fold = groupFolds(samples, folds);
    std::printf("calibration, %d-fold cross-validation grouped by piece (art songs by composer):\n", folds);
    for (int f = 0; f < folds; ++f)
        std::printf("  fold %d: %d files held out, intercept %.3f, slope %.3f\n", f + 1,
                    int(std::count(fold.begin(), fold.end(), f)), perFold[std::size_t(f)].intercept,
                    perFold[std::size_t(f)].slope);
    printTable("before calibration", reliability(samples, before));
    printTable("calibrated on the other folds", reliability(samples, after));
    const Reliability built = reliability(samples, std::vector<Calibration>(samples.size()));
    std::printf("  as built (calibration fitted on all these files): mean confidence %.1f %%, ECE %.1f points\n",
                100 * built.confidence, 100 * built.ece);
    // The flag is taken on the shares before calibration: what the flagged files show.
    const double ratio = AnalysisOptions{}.ambiguousRatio;
    int flagged = 0;
    double flaggedRight = 0, flaggedConfidence = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::array<double, 24> sorted = samples[i].shares;
        std::partial_sort(sorted.begin(), sorted.begin() + 2, sorted.end(), std::greater<>());
        if (sorted[1] >= ratio * sorted[0]) {
            ++flagged;
            flaggedRight += right(samples[i]);
            flaggedConfidence += shown(samples[i], after[i]);
        }
    }
    std::printf("  ambiguous (second key's time >= %.1f x the first's): %d files, right %.1f %%, cross-validated"
                " confidence %.1f %%\n", ratio, flagged, flagged ? 100 * flaggedRight / flagged : 0.0,
                flagged ? 100 * flaggedConfidence / flagged : 0.0);
    std::map<std::string, int> sets;
    for (const CalibrationSample &s : samples)
        ++sets[s.set];
    for (const auto &[set, count] : sets) {
        const Reliability b = reliability(samples, before, set), a = reliability(samples, after, set);
        std::printf("  %-9s %3d files, right %5.1f %%: mean confidence %5.1f %% -> %5.1f %%, ECE %4.1f -> %4.1f points\n",
                    (set == "wir" ? "wir songs" : set).c_str(), count, 100 * b.right, 100 * b.confidence, 100 * a.confidence, 100 * b.ece, 100 * a.ece);
    }
}

} // namespace tunedeck::keyscore
