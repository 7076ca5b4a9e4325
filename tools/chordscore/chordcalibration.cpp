#include "chordscore/chordcalibration.h"

#include "common/fittedheader.h"

#include <Eigen/Cholesky>
#include <Eigen/Core>

#include <algorithm>
#include <cmath>

namespace tunedeck::chordscore {

chords::ChordCalibration fitChordCalibration(const std::vector<const ChordFile *> &files,
                                             const chords::ChordOptions &options)
{
    struct Point {
        Eigen::Vector3d x; // 1, the posterior's log odds, log2 of the beats
        double right, weight;
    };
    std::vector<Point> points;
    chords::ChordOptions raw = options;
    raw.calibration = {}; // the posterior itself
    for (const ChordFile *file : files) {
        const keyscore::CorpusFile &f = file->file;
        const chords::ChordClock clock{f.ticksPerQuarter, 4 * std::int64_t(f.ticksPerQuarter), f.msPerTick};
        // The local keys weigh the chords only with a key weight.
        const profile::ProfileAnalysis keys = options.keyWeight != 0
                                                  ? profile::analyseProfile(f.events, f.ticksPerQuarter, clock.ticksPerBar)
                                                  : profile::ProfileAnalysis{};
        for (const chords::ChordSegment &s : chords::analyseChords(f.events, clock, keys, raw)) {
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
            // The posterior back from the uncalibrated confidence, as chordConfidence reads it.
            const double p = std::clamp(s.confidence, 1e-6, 1 - 1e-6);
            const double beats = double(s.endTick - s.tick) / f.ticksPerQuarter;
            points.push_back({{1, std::log(p / (1 - p)), std::log2(std::max(beats, 1.0 / 16))}, right / annotated, annotated});
        }
    }
    // The weighted log loss is convex: Newton's steps, halved until it falls.
    auto loss = [&](const Eigen::Vector3d &k) {
        double sum = 0;
        for (const Point &pt : points) {
            const double z = k.dot(pt.x);
            sum += pt.weight * (std::log1p(std::exp(-std::abs(z))) + std::max(z, 0.0) - pt.right * z);
        }
        return sum;
    };
    Eigen::Vector3d k(0, 1, 0);
    double current = loss(k);
    for (int step = 0; step < 100 && !points.empty(); ++step) {
        Eigen::Vector3d g = Eigen::Vector3d::Zero();
        Eigen::Matrix3d h = 1e-6 * Eigen::Matrix3d::Identity();
        for (const Point &pt : points) {
            const double p = 1 / (1 + std::exp(-k.dot(pt.x)));
            g += pt.weight * (p - pt.right) * pt.x;
            h += pt.weight * p * (1 - p) * pt.x * pt.x.transpose();
        }
        const Eigen::Vector3d d = h.ldlt().solve(g);
        Eigen::Vector3d next = k;
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
    return {tools::asWritten(k[0], CalibrationDecimals), tools::asWritten(k[1], CalibrationDecimals),
            tools::asWritten(k[2], CalibrationDecimals)};
}

} // namespace tunedeck::chordscore
