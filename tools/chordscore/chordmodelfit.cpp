#include "chordscore/chordmodelfit.h"

#include "chordscore/chordcalibration.h"

#include "common/fittedheader.h"

#include "core/base/keycodes.h"

#include <Eigen/Cholesky>
#include <Eigen/Core>
#include <LBFGS.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <sstream>
#include <thread>

namespace tunedeck::chordscore {

namespace {

using chords::FeatureCount;
using harmony::ChordClassCount;
using harmony::NoChordClass;
using harmony::QualityCount;

constexpr int ParameterCount = QualityCount * FeatureCount + QualityCount + 3;
constexpr int WeightDecimals = 5;

// A frame's features that are not 0: most pitch classes are silent in any frame, so the
// sums over them are short.
struct Sparse {
    std::vector<std::uint16_t> index; // block * 12 + pitch class
    std::vector<float> value;
    std::vector<std::uint32_t> first; // frame f's entries are [first[f], first[f + 1])
};

Sparse sparseInputs(const std::vector<chords::FrameInput> &inputs)
{
    Sparse s;
    s.first.push_back(0);
    for (const chords::FrameInput &in : inputs) {
        for (std::size_t i = 0; i < std::size_t(FeatureCount); ++i)
            if (in.x[i] != 0) {
                s.index.push_back(std::uint16_t(i));
                s.value.push_back(in.x[i]);
            }
        s.first.push_back(std::uint32_t(s.index.size()));
    }
    return s;
}

// The negative log likelihood of frames [from, to) and its gradient, added to loss and grad.
void accumulate(const TrainingFrames &frames, const Sparse &sparse, const Eigen::VectorXd &p, std::size_t from,
                std::size_t to, double &loss, Eigen::VectorXd &grad)
{
    const double *w = p.data();
    const double *bias = w + QualityCount * FeatureCount;
    const double *noChord = bias + QualityCount;
    double *gw = grad.data();
    double *gbias = gw + QualityCount * FeatureCount;
    double *gnone = gbias + QualityCount;
    std::array<double, ChordClassCount> z;
    for (std::size_t f = from; f < to; ++f) {
        const double weight = frames.weights[f];
        if (weight <= 0)
            continue;
        const chords::FrameInput &in = frames.inputs[f];
        for (std::size_t root = 0; root < 12; ++root)
            for (std::size_t q = 0; q < std::size_t(QualityCount); ++q)
                z[root * QualityCount + q] = bias[q];
        for (std::uint32_t e = sparse.first[f]; e < sparse.first[f + 1]; ++e) {
            const std::size_t block = sparse.index[e] / 12, pc = sparse.index[e] % 12;
            const double v = sparse.value[e];
            for (std::size_t root = 0; root < 12; ++root) {
                const std::size_t i = block * 12 + (pc + 12 - root) % 12;
                for (std::size_t q = 0; q < std::size_t(QualityCount); ++q)
                    z[root * QualityCount + q] += w[q * FeatureCount + i] * v;
            }
        }
        z[NoChordClass] = noChord[0] + noChord[1] * in.sounding + noChord[2] * (in.silent ? 1 : 0);
        const double top = *std::max_element(z.begin(), z.end());
        double sum = 0;
        for (double &v : z) {
            v = std::exp(v - top);
            sum += v;
        }
        const auto label = std::size_t(frames.labels[f]);
        loss -= weight * (std::log(z[label] / sum));
        // d loss / d z = weight * (probability - [class is the label])
        for (double &v : z)
            v = weight * v / sum;
        z[label] -= weight;
        for (std::size_t root = 0; root < 12; ++root)
            for (std::size_t q = 0; q < std::size_t(QualityCount); ++q)
                gbias[q] += z[root * QualityCount + q];
        for (std::uint32_t e = sparse.first[f]; e < sparse.first[f + 1]; ++e) {
            const std::size_t block = sparse.index[e] / 12, pc = sparse.index[e] % 12;
            const double v = sparse.value[e];
            for (std::size_t root = 0; root < 12; ++root) {
                const std::size_t i = block * 12 + (pc + 12 - root) % 12;
                for (std::size_t q = 0; q < std::size_t(QualityCount); ++q)
                    gw[q * FeatureCount + i] += z[root * QualityCount + q] * v;
            }
        }
        gnone[0] += z[NoChordClass];
        gnone[1] += z[NoChordClass] * in.sounding;
        gnone[2] += z[NoChordClass] * (in.silent ? 1 : 0);
    }
}

} // namespace

std::optional<int> vocabularyClass(std::string_view label)
{
    const std::optional<EncodedChord> encoded = encodeHarte(label);
    if (!encoded || encoded->unknown)
        return std::nullopt;
    if (encoded->root < 0)
        return NoChordClass;
    int best = 0, bestShared = -1, bestAll = 1;
    for (int q = 0; q < QualityCount; ++q) {
        std::uint16_t tones = 0;
        for (int t : harmony::intervals(harmony::Quality(q)))
            tones = std::uint16_t(tones | 1u << t);
        const int shared = std::popcount(unsigned(tones & encoded->tones));
        const int all = std::popcount(unsigned(tones | encoded->tones));
        // shared / all, compared without division; the first quality wins a tie
        if (shared * bestAll > bestShared * all) {
            best = q;
            bestShared = shared;
            bestAll = all;
        }
    }
    return encoded->root * QualityCount + best;
}

TrainingFrames trainingFrames(const std::vector<const ChordFile *> &files, const chords::ChordOptions &options,
                              const FitSettings &settings)
{
    TrainingFrames out;
    std::map<std::string, std::vector<std::size_t>> kinds; // the frames of each kind of music
    for (const ChordFile *file : files) {
        const chords::ChordFrames frames = chordFrames(file->file.events, file->file.ticksPerQuarter, options);
        const std::size_t first = out.inputs.size();
        std::vector<std::array<double, ChordClassCount>> held(frames.inputs.size(), std::array<double, ChordClassCount>{});
        for (const ChordRow &row : file->reference) {
            const std::optional<int> c = vocabularyClass(row.label);
            if (!c)
                continue;
            for (std::int64_t a = row.start; a < row.end;) {
                const std::int64_t f = (a - frames.start) / frames.length;
                if (f < 0 || f >= std::int64_t(held.size()))
                    break;
                const std::int64_t b = std::min(row.end, frames.start + (f + 1) * frames.length);
                held[std::size_t(f)][std::size_t(*c)] += double(b - a);
                a = b;
            }
        }
        double total = 0;
        for (std::size_t f = 0; f < held.size(); ++f) {
            const auto most = std::max_element(held[f].begin(), held[f].end());
            double annotated = 0;
            for (double t : held[f])
                annotated += t;
            out.inputs.push_back(frames.inputs[f]);
            out.labels.push_back(int(most - held[f].begin()));
            out.weights.push_back(annotated);
            total += annotated;
        }
        for (std::size_t f = first; f < out.inputs.size(); ++f) {
            if (settings.balanceKinds && total > 0)
                out.weights[f] /= total;
            kinds[file->file.set].push_back(f);
        }
    }
    if (settings.balanceKinds)
        for (const auto &[kind, members] : kinds) {
            double sum = 0;
            for (std::size_t f : members)
                sum += out.weights[f];
            for (std::size_t f : members)
                out.weights[f] /= sum > 0 ? sum * double(kinds.size()) : 1;
        }
    return out;
}

chords::ChordWeights fitWeights(const TrainingFrames &frames, const FitSettings &settings)
{
    const Sparse sparse = sparseInputs(frames.inputs);
    double totalWeight = 0;
    for (double w : frames.weights)
        totalWeight += w;
    // The frames in fixed slices, summed in their order: the same fit on any machine.
    constexpr std::size_t Slices = 8;
    const std::size_t n = frames.inputs.size();
    auto objective = [&](const Eigen::VectorXd &p, Eigen::VectorXd &grad) {
        std::array<double, Slices> losses{};
        std::vector<Eigen::VectorXd> grads(Slices, Eigen::VectorXd::Zero(ParameterCount));
        std::vector<std::thread> workers;
        const std::size_t threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
        for (std::size_t t = 0; t < threads; ++t)
            workers.emplace_back([&, t] {
                for (std::size_t s = t; s < Slices; s += threads)
                    accumulate(frames, sparse, p, n * s / Slices, n * (s + 1) / Slices, losses[s], grads[s]);
            });
        for (std::thread &w : workers)
            w.join();
        double loss = 0;
        grad = Eigen::VectorXd::Zero(ParameterCount);
        for (std::size_t s = 0; s < Slices; ++s) {
            loss += losses[s];
            grad += grads[s];
        }
        loss /= totalWeight;
        grad /= totalWeight;
        for (int i = 0; i < QualityCount * FeatureCount; ++i) {
            loss += settings.l2 * p[i] * p[i];
            grad[i] += 2 * settings.l2 * p[i];
        }
        return loss;
    };
    LBFGSpp::LBFGSParam<double> param;
    param.max_iterations = settings.iterations;
    param.epsilon = 1e-6;
    LBFGSpp::LBFGSSolver<double> solver(param);
    Eigen::VectorXd p = Eigen::VectorXd::Zero(ParameterCount);
    double loss = 0;
    try {
        solver.minimize(objective, p, loss);
    } catch (const std::exception &) {
        // The line search gives up near the optimum on a flat stretch: p holds the last step.
    }
    chords::ChordWeights weights;
    for (std::size_t q = 0; q < std::size_t(QualityCount); ++q) {
        for (std::size_t i = 0; i < std::size_t(FeatureCount); ++i)
            weights.quality[q][i] = float(p[Eigen::Index(q * FeatureCount + i)]);
        weights.bias[q] = float(p[Eigen::Index(QualityCount * FeatureCount + q)]);
    }
    for (std::size_t i = 0; i < 3; ++i)
        weights.noChord[i] = float(p[Eigen::Index(QualityCount * FeatureCount + QualityCount + i)]);
    return weights;
}

chords::ChordWeights asWritten(const chords::ChordWeights &weights)
{
    chords::ChordWeights w = weights;
    for (auto &quality : w.quality)
        for (float &v : quality)
            v = float(tools::asWritten(v, WeightDecimals));
    for (float &v : w.bias)
        v = float(tools::asWritten(v, WeightDecimals));
    for (float &v : w.noChord)
        v = float(tools::asWritten(v, WeightDecimals));
    return w;
}

harmony::KeyChordTable fitKeyPrior(const std::vector<const ChordFile *> &files)
{
    std::array<std::array<double, ChordClassCount>, 2> count{};
    for (const ChordFile *file : files) {
        double total = 0;
        for (const ChordRow &row : file->reference)
            total += double(row.end - row.start);
        for (const ChordRow &row : file->reference) {
            const std::optional<int> c = vocabularyClass(row.label);
            int key = row.keyCode;
            const std::int64_t middle = (row.start + row.end) / 2;
            for (const keyscore::Region &r : file->file.regions)
                if (!isKeyCode(key) && r.span.start <= middle && middle < r.span.end)
                    key = r.keyCode;
            if (!c || !isKeyCode(key) || total <= 0)
                continue;
            count[isMinorKey(key) ? 1 : 0][std::size_t(harmony::relativeClass(*c, tonicOf(key)))] += double(row.end - row.start) / total;
        }
    }
    harmony::KeyChordTable table{};
    for (std::size_t mode = 0; mode < 2; ++mode) {
        std::array<double, ChordClassCount> p;
        double sum = 0;
        for (std::size_t c = 0; c < std::size_t(ChordClassCount); ++c)
            sum += p[c] = count[mode][c] + 1.0 / ChordClassCount;
        std::array<double, QualityCount> quality{};
        for (std::size_t c = 0; c < std::size_t(NoChordClass); ++c)
            quality[c % QualityCount] += p[c] / sum;
        // Each entry the float the header's literal is.
        for (std::size_t c = 0; c < std::size_t(NoChordClass); ++c)
            table[mode][c] = float(tools::asWritten(std::log(p[c] / sum / (quality[c % QualityCount] / 12)), WeightDecimals));
        table[mode][NoChordClass] = 0;
    }
    return table;
}

FittedModel fitModel(const std::vector<const ChordFile *> &files, const chords::ChordOptions &options,
                     const FitSettings &settings)
{
    FittedModel model;
    model.weights = asWritten(fitWeights(trainingFrames(files, options, settings), settings));
    model.keyPrior = fitKeyPrior(files);
    chords::ChordOptions withModel = options;
    withModel.weights = &model.weights;
    withModel.keyPrior = &model.keyPrior;
    model.calibration = fitChordCalibration(files, withModel);
    return model;
}

std::string modelHeader(const FittedModel &model, const std::string &fittedOn)
{
    std::ostringstream h;
    auto list = [&](const char *name, const auto &values, std::size_t perLine) {
        h << "inline constexpr std::array<float, " << values.size() << "> " << name << " = {";
        for (std::size_t i = 0; i < values.size(); ++i)
            h << (i % perLine == 0 ? "\n    " : " ") << tools::fixed(values[i], WeightDecimals) << "f"
              << (i + 1 < values.size() ? "," : "};\n");
    };
    std::vector<float> weights, bias(model.weights.bias.begin(), model.weights.bias.end()),
        none(model.weights.noChord.begin(), model.weights.noChord.end());
    for (const auto &quality : model.weights.quality)
        weights.insert(weights.end(), quality.begin(), quality.end());
    h << "// Written by tunedeck-chordscore --write-model (tools/chordscore) from the annotated chords of\n"
      << "// " << fittedOn << ":\n"
      << "// the chord model's weights, fitted by maximum likelihood, its key prior, and the\n"
      << "// calibration of its segments' confidences. Cross-validated in docs/CHORDS.md.\n"
      << "#ifndef TUNEDECK_CORE_CHORDS_FITTEDCHORDMODEL_H\n#define TUNEDECK_CORE_CHORDS_FITTEDCHORDMODEL_H\n\n#include <array>\n\n"
      << "namespace tunedeck::chords {\n\n"
      << "// Per quality (harmony::Quality's order), over the features turned to the root (chordmodel.h's blocks).\n";
    list("FittedChordQualityWeights", weights, 12);
    list("FittedChordQualityBias", bias, 13);
    list("FittedNoChordWeights", none, 3);
    h << "\n// Log ratio of each class relative to the tonic in a major and a minor key to its quality's share.\n";
    list("FittedKeyPriorMajor", std::vector<float>(model.keyPrior[0].begin(), model.keyPrior[0].end()), 13);
    list("FittedKeyPriorMinor", std::vector<float>(model.keyPrior[1].begin(), model.keyPrior[1].end()), 13);
    h << "\n// A segment's confidence, by texture (chords::Texture's order): the weights of its terms\n"
      << "// (chords::confidenceTerms) in the log odds.\n"
      << "inline constexpr std::array<std::array<double, " << chords::ConfidenceTermCount << ">, " << model.calibration.size()
      << "> FittedChordCalibration = {{";
    for (std::size_t t = 0; t < model.calibration.size(); ++t) {
        const chords::ChordCalibration &k = model.calibration[t];
        for (std::size_t i = 0; i < k.size(); ++i)
            h << (i == 0 ? "\n    {" : ", ") << tools::fixed(k[i], CalibrationDecimals);
        h << "}";
        h << (t + 1 < model.calibration.size() ? "," : "}};\n\n");
    }
    h << "} // namespace tunedeck::chords\n\n#endif\n";
    return h.str();
}

} // namespace tunedeck::chordscore
