#include "chordscore/chordcalibration.h"

#include "chordscore/chordrun.h"

#include "common/fittedheader.h"

#include <Eigen/Cholesky>
#include <Eigen/Core>

#include <algorithm>
#include <cmath>

namespace tunedeck::chordscore {

namespace {

constexpr int Terms = int(chords::ConfidenceTermCount);
using Vector = Eigen::Matrix<double, Terms, 1>;

struct Point {
    Vector x; // chords::confidenceTerms
    double right, weight;
};

// A texture with little time keeps near the calibration of all of them: its distance from
// that one costs this much, in quarter notes' log loss.
constexpr double Shrink = 50;

// Every segment of the files as a point of its texture, analysed as the files are scored.
std::array<std::vector<Point>, chords::TextureCount> calibrationPoints(const std::vector<const ChordFile *> &files,
                                                                       const chords::ChordOptions &options)
{
    std::array<std::vector<Point>, chords::TextureCount> points;
    ChordModel model;
    model.chords = options;
    for (const ChordFile *file : files) {
        const keyscore::CorpusFile &f = file->file;
        std::vector<chords::ConfidenceInputs> inputs;
        const std::vector<chords::ChordSegment> segments = analyseFile(f, model, &inputs).segments;
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
            const chords::ConfidenceTerms terms = chords::confidenceTerms(inputs[i]);
            points[std::size_t(inputs[i].texture)].push_back(
                {Eigen::Map<const Vector>(terms.data()),
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
        Eigen::Matrix<double, Terms, Terms> h = (1e-6 + 2 * shrink) * Eigen::Matrix<double, Terms, Terms>::Identity();
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
    const auto points = calibrationPoints(files, raw);
    std::vector<const Point *> all;
    for (const auto &texture : points)
        for (const Point &p : texture)
            all.push_back(&p);
    Vector identity = Vector::Zero();
    identity[1] = 1; // the posterior itself
    const Vector pooled = fitLogistic(all, identity, 0);
    chords::ChordCalibrations out;
    for (std::size_t t = 0; t < out.size(); ++t) {
        std::vector<const Point *> own;
        for (const Point &p : points[t])
            own.push_back(&p);
        const Vector k = fitLogistic(own, pooled, Shrink);
        for (int i = 0; i < Terms; ++i)
            out[t][std::size_t(i)] = tools::asWritten(k[i], CalibrationDecimals);
    }
    return out;
}

} // namespace tunedeck::chordscore
