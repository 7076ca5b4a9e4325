#include "chordscore/chordcalibration.h"

#include "common/fittedheader.h"

#include <Eigen/Cholesky>
#include <Eigen/Core>

#include <algorithm>
#include <cmath>

namespace tunedeck::chordscore {

namespace {

using Vector = Eigen::Matrix<double, 6, 1>;

struct Point {
    Vector x; // 1, the posterior's log odds, log2 of the beats, the tone share, the coverage, odds times coverage
    double right, weight;
};

// A texture with little time keeps near the calibration of all of them: its distance from
// that one costs this much, in quarter notes' log loss.
constexpr double Shrink = 50;

// Every segment of the files as a point of its texture, raw (the posterior itself).
std::array<std::vector<Point>, chords::TextureCount> calibrationPoints(const std::vector<const ChordFile *> &files,
                                                                       const chords::ChordOptions &options)
{
    std::array<std::vector<Point>, chords::TextureCount> points;
    for (const ChordFile *file : files) {
        const keyscore::CorpusFile &f = file->file;
        const chords::ChordClock clock{f.ticksPerQuarter, 4 * std::int64_t(f.ticksPerQuarter), f.msPerTick};
        // The local keys weigh the chords only with a key weight.
        const profile::ProfileAnalysis keys = options.keyWeight != 0
                                                  ? profile::analyseProfile(f.events, f.ticksPerQuarter, clock.ticksPerBar)
                                                  : profile::ProfileAnalysis{};
        std::vector<chords::ConfidenceInputs> inputs;
        const std::vector<chords::ChordSegment> segments =
            chords::analyseChords(chords::chordFrames(f.events, f.ticksPerQuarter, options), clock, keys, options, &inputs);
        for (std::size_t i = 0; i < segments.size(); ++i) {
            const chords::ChordSegment &s = segments[i];
            const std::optional<EncodedChord> shown = encodeHarte(harmony::harteLabel(s.chord));
            double annotated = 0, right = 0;
            for (const ChordRow &row : file->reference) {
                const std::int64_t a = std::max(row.start, s.tick), b = std::min(row.end, s.endTick);
                if (b <= a)
                    continue;
                const std::optional<EncodedChord> truth = encodeHarte(row.label);
                if (!truth || truth->unknown)
                    continue;
                annotated += double(b - a) / f.ticksPerQuarter;
                right += shown && *shown == *truth ? double(b - a) / f.ticksPerQuarter : 0;
            }
            if (annotated <= 0)
                continue;
            const chords::ConfidenceInputs &in = inputs[i];
            constexpr double Bound = 12; // as chordConfidence bounds the log odds
            const double p = std::clamp(in.posterior, 0.0, 1.0);
            const double odds = p <= 0 ? -Bound : p >= 1 ? Bound : std::clamp(std::log(p / (1 - p)), -Bound, Bound);
            points[std::size_t(in.texture)].push_back(
                {Vector{1, odds, std::log2(std::max(in.beats, 1.0 / 16)), in.toneShare, in.coverage, odds * in.coverage},
                 right / annotated,
                 annotated});
        }
    }
    return points;
}

// The weighted log loss, plus shrink times the squared distance from toward: convex, so
// Newton's steps, halved until it falls.
Vector fitLogistic(const std::vector<const Point *> &points, const Vector &toward, double shrink)
{
    auto loss = [&](const Vector &k) {
        double sum = shrink * (k - toward).squaredNorm();
        for (const Point *pt : points) {
            const double z = k.dot(pt->x);
            sum += pt->weight * (std::log1p(std::exp(-std::abs(z))) + std::max(z, 0.0) - pt->right * z);
        }
        return sum;
    };
    Vector k = toward;
    double current = loss(k);
    for (int step = 0; step < 100 && !points.empty(); ++step) {
        Vector g = 2 * shrink * (k - toward);
        Eigen::Matrix<double, 6, 6> h = (1e-6 + 2 * shrink) * Eigen::Matrix<double, 6, 6>::Identity();
        for (const Point *pt : points) {
            const double p = 1 / (1 + std::exp(-k.dot(pt->x)));
            g += pt->weight * (p - pt->right) * pt->x;
            h += pt->weight * p * (1 - p) * pt->x * pt->x.transpose();
        }
        const Vector d = h.ldlt().solve(g);
        Vector next = k;
        double after = current;
        for (double scale = 1; scale > 1e-12; scale /= 2) {
            next = k - scale * d;
            if ((after = loss(next)) <= current)
                break;
        }
        if (!(after <= current))
            break;
        k = next;
        const bool settled = current - after < 1e-12;
        current = after;
        if (settled)
            break;
    }
    return k;
}

} // namespace

chords::ChordCalibrations fitChordCalibration(const std::vector<const ChordFile *> &files,
                                              const chords::ChordOptions &options)
{
    chords::ChordOptions raw = options;
    raw.calibration = {}; // the posterior itself
    const auto points = calibrationPoints(files, raw);
    std::vector<const Point *> all;
    for (const auto &texture : points)
        for (const Point &p : texture)
            all.push_back(&p);
    const Vector pooled = fitLogistic(all, Vector{0, 1, 0, 0, 0, 0}, 0);
    chords::ChordCalibrations out;
    for (std::size_t t = 0; t < out.size(); ++t) {
        std::vector<const Point *> own;
        for (const Point &p : points[t])
            own.push_back(&p);
        const Vector k = fitLogistic(own, pooled, Shrink);
        out[t] = {tools::asWritten(k[0], CalibrationDecimals), tools::asWritten(k[1], CalibrationDecimals),
                  tools::asWritten(k[2], CalibrationDecimals), tools::asWritten(k[3], CalibrationDecimals),
                  tools::asWritten(k[4], CalibrationDecimals), tools::asWritten(k[5], CalibrationDecimals)};
    }
    return out;
}

} // namespace tunedeck::chordscore
