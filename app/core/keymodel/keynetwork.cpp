#include "core/keymodel/keynetwork.h"

#include "core/keymodel/fittedkeymodel.h"
#include "core/keymodel/layers.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tunedeck::keymodel {
namespace {

namespace fit = fitted;
using layers::padded;

static_assert(fit::Inputs == InputCount);
static_assert(fit::KeyClasses == KeyClasses && fit::RootClasses == RootClasses && fit::QualityClasses == QualityClasses
              && fit::BassClasses == BassClasses);
static_assert(fit::ConvWidth % 2 == 1, "the convolutions keep the frames' count with a centred window");

constexpr std::size_t Inputs = InputCount;
constexpr std::size_t Channels = fit::Channels, Hidden = fit::Hidden, Width = fit::ConvWidth, Half = Width / 2;
constexpr std::array<std::size_t, 4> Classes = {KeyClasses, RootClasses, QualityClasses, BassClasses};
constexpr std::array<std::size_t, 4> HeadStart = {0, KeyClasses, KeyClasses + RootClasses,
                                                  KeyClasses + RootClasses + QualityClasses};
static_assert(*std::max_element(Classes.begin(), Classes.end()) <= layers::MostClasses);
static_assert(fit::Present[0] + KeyClasses <= InputCount && fit::Present[1] + RootClasses <= InputCount
              && fit::Present[2] + QualityClasses <= InputCount && fit::Present[3] + BassClasses <= InputCount);

// The widths of the rows the layers write, padded to whole blocks.
constexpr std::size_t ChannelRow = padded(Channels);
constexpr std::size_t GateRow = padded(3 * Hidden);
constexpr std::size_t ProjectionRow = padded(6 * Hidden); // both directions' gates
constexpr std::size_t StateRow = 2 * Hidden;              // forward, then backward
constexpr std::size_t LogitRow = padded(HeadStart[3] + BassClasses);

// The fitted weights turned [input][output] for layers.h, made once.
struct Weights {
    std::vector<float> conv1, conv1Bias, conv2, conv2Bias;
    std::vector<float> input, inputBias;
    std::array<std::vector<float>, 2> hidden, hiddenBias;
    std::vector<float> heads, headBias;
};

// PyTorch's [outputs][inputs] matrices side by side as one [inputs][width], each from its column.
struct Placed {
    const float *weights;
    std::size_t outputs, column;
};
std::vector<float> turned(std::size_t inputs, std::size_t width, std::initializer_list<Placed> matrices)
{
    std::vector<float> to(inputs * width, 0.f);
    for (const Placed &p : matrices)
        for (std::size_t o = 0; o < p.outputs; ++o)
            for (std::size_t i = 0; i < inputs; ++i)
                to[i * width + p.column + o] = p.weights[o * inputs + i];
    return to;
}

// A convolution's [out][in][k] as [k][in][out]: a window of frames, read as one row of inputs.
std::vector<float> turnConvolution(const float *from, std::size_t ins, std::size_t insRow)
{
    std::vector<float> to(Width * insRow * ChannelRow, 0.f);
    for (std::size_t c = 0; c < Channels; ++c)
        for (std::size_t i = 0; i < ins; ++i)
            for (std::size_t k = 0; k < Width; ++k)
                to[(k * insRow + i) * ChannelRow + c] = from[(c * ins + i) * Width + k];
    return to;
}

std::vector<float> row(std::size_t width, std::initializer_list<std::pair<const float *, std::size_t>> pieces)
{
    std::vector<float> out(width, 0.f);
    auto at = out.begin();
    for (const auto &[values, count] : pieces)
        at = std::copy_n(values, count, at);
    return out;
}

const Weights &weights()
{
    static const Weights w = [] {
        Weights w;
        w.conv1 = turnConvolution(fit::Conv1Weight, Inputs, Inputs);
        w.conv1Bias = row(ChannelRow, {{fit::Conv1Bias, Channels}});
        w.conv2 = layers::panels(turnConvolution(fit::Conv2Weight, Channels, ChannelRow), Width * ChannelRow,
                                 ChannelRow, layers::Block);
        w.conv2Bias = row(ChannelRow, {{fit::Conv2Bias, Channels}});
        const std::size_t gates = 3 * Hidden;
        w.input = layers::panels(turned(Channels, ProjectionRow, {{fit::GruForwardInputWeight, gates, 0},
                                                                 {fit::GruBackwardInputWeight, gates, gates}}),
                                 Channels, ProjectionRow, layers::Block);
        w.inputBias = row(ProjectionRow, {{fit::GruForwardInputBias, gates}, {fit::GruBackwardInputBias, gates}});
        const std::array<const float *, 2> hidden = {fit::GruForwardHiddenWeight, fit::GruBackwardHiddenWeight};
        const std::array<const float *, 2> hiddenBias = {fit::GruForwardHiddenBias, fit::GruBackwardHiddenBias};
        for (std::size_t d = 0; d < 2; ++d) {
            w.hidden[d] =
                layers::panels(turned(Hidden, GateRow, {{hidden[d], gates, 0}}), Hidden, GateRow, layers::Wide);
            w.hiddenBias[d] = row(GateRow, {{hiddenBias[d], gates}});
        }
        w.heads = layers::panels(turned(StateRow, LogitRow, {{fit::KeyWeight, KeyClasses, HeadStart[0]},
                                                             {fit::RootWeight, RootClasses, HeadStart[1]},
                                                             {fit::QualityWeight, QualityClasses, HeadStart[2]},
                                                             {fit::BassWeight, BassClasses, HeadStart[3]}}),
                                 StateRow, LogitRow, layers::Block);
        w.headBias = row(LogitRow, {{fit::KeyBias, KeyClasses}, {fit::RootBias, RootClasses},
                                    {fit::QualityBias, QualityClasses}, {fit::BassBias, BassClasses}});
        return w;
    }();
    return w;
}

// The buffers of a run, kept by each thread for its next piece: fresh pages cost about as much
// as a song's arithmetic. A long piece's are let go.
struct Workspace {
    std::vector<std::uint32_t> rows; // the first convolution's nonzero inputs
    std::vector<float> values;
    std::vector<std::size_t> starts;
    std::vector<float> first, second, projections, states, gates, logits;
};
constexpr std::size_t KeptFrames = 4096;

// The first convolution, from the nonzero inputs only: most are silent pitch classes and the
// one-hots' zeros. Written from row Half of a buffer with Half zero rows either side, the
// padding the second convolution reads.
void firstConvolution(const Weights &w, std::span<const float> inputs, std::size_t frames, Workspace &s)
{
    s.rows.clear();
    s.values.clear();
    s.starts.resize(frames + 1);
    for (std::size_t t = 0; t < frames; ++t) {
        s.starts[t] = s.rows.size();
        for (std::size_t i = 0; i < Inputs; ++i)
            if (const float x = inputs[t * Inputs + i]; x != 0.f) {
                s.rows.push_back(std::uint32_t(i));
                s.values.push_back(x);
            }
    }
    s.starts[frames] = s.rows.size();

    s.first.assign((frames + 2 * Half) * ChannelRow, 0.f);
    for (std::size_t t = 0; t < frames; ++t) {
        float *o = s.first.data() + (t + Half) * ChannelRow;
        std::copy(w.conv1Bias.begin(), w.conv1Bias.end(), o);
        // Window place k reads frame t + k - Half.
        for (std::size_t k = 0; k < Width; ++k) {
            if (t + k < Half || t + k - Half >= frames)
                continue;
            const std::size_t f = t + k - Half;
            layers::addTerms(s.rows.data() + s.starts[f], s.values.data() + s.starts[f], s.starts[f + 1] - s.starts[f],
                             w.conv1.data() + k * Inputs * ChannelRow, ChannelRow, o);
        }
        layers::relu(o, ChannelRow);
    }
}

void run(const Weights &w, std::span<const float> inputs, std::size_t frames, Workspace &s, NetworkOutputs &out)
{
    firstConvolution(w, inputs, frames, s);
    s.second.resize(frames * ChannelRow);
    layers::affine(s.first.data(), ChannelRow, frames, Width * ChannelRow, w.conv2.data(), w.conv2Bias.data(),
                   ChannelRow, s.second.data(), true);

    // Both directions' input projections for every frame at once; only the steps wait on each other.
    s.projections.resize(frames * ProjectionRow);
    layers::affine(s.second.data(), ChannelRow, frames, Channels, w.input.data(), w.inputBias.data(), ProjectionRow,
                   s.projections.data(), false);
    s.states.resize(frames * StateRow);
    s.gates.resize(GateRow);
    const layers::GruDirection directions[2] = {
        {w.hidden[0].data(), w.hiddenBias[0].data(), s.projections.data(), s.states.data(), false},
        {w.hidden[1].data(), w.hiddenBias[1].data(), s.projections.data() + 3 * Hidden, s.states.data() + Hidden,
         true}};
    layers::runGru(directions, Hidden, GateRow, frames, ProjectionRow, StateRow, s.gates.data());

    s.logits.resize(frames * LogitRow + layers::Block); // softmax reads whole vectors past a head's end
    layers::affine(s.states.data(), StateRow, frames, StateRow, w.heads.data(), w.headBias.data(), LogitRow,
                   s.logits.data(), false);
    const std::array<std::vector<float> *, 4> heads = {&out.key, &out.root, &out.quality, &out.bass};
    for (std::size_t h = 0; h < heads.size(); ++h)
        heads[h]->resize(frames * Classes[h]);
    for (std::size_t t = 0; t < frames; ++t) {
        const float *x = inputs.data() + t * Inputs;
        for (std::size_t h = 0; h < heads.size(); ++h) {
            // The head starts from the present model's answer.
            float *l = s.logits.data() + t * LogitRow + HeadStart[h];
            const float *present = x + fit::Present[h];
            for (std::size_t c = 0; c < Classes[h]; ++c)
                l[c] += fit::Skip[h] * present[c];
            layers::softmax(l, Classes[h], heads[h]->data() + t * Classes[h]);
        }
    }
}

} // namespace

NetworkOutputs runNetwork(std::span<const float> inputs, std::size_t frames)
{
    if (inputs.size() % Inputs != 0 || inputs.size() / Inputs != frames)
        throw std::invalid_argument("runNetwork: the inputs are not frames * InputCount values");
    NetworkOutputs out;
    out.frames = frames;
    if (frames == 0)
        return out;
    thread_local Workspace workspace;
    run(weights(), inputs, frames, workspace, out);
    if (frames > KeptFrames)
        workspace = {};
    return out;
}

int decision(std::span<const float> probabilities)
{
    if (probabilities.empty())
        return -1;
    return int(std::max_element(probabilities.begin(), probabilities.end()) - probabilities.begin());
}

} // namespace tunedeck::keymodel
