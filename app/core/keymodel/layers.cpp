#include "core/keymodel/layers.h"

// Vectors of the extension are passed only between the kernels' inlined helpers.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "core/keymodel/vectorkernels.h"

#include <algorithm>

namespace tunedeck::keymodel::layers {
namespace {

using Four = float __attribute__((vector_size(16)));

// The network runs on every file analysed: on x86-64 processors with AVX2 (nearly all since
// 2013) it runs on eight lanes, chosen at the first call. No fused multiply-adds (and no
// contraction: see CMakeLists.txt): every path, the page's too, rounds each product and sum
// alike, so every front end shows the same confidences to the last digit.
#if defined(__x86_64__) && defined(__GNUC__)
#define TUNEDECK_EIGHT_LANES 1
using Eight = float __attribute__((vector_size(32)));
#define TUNEDECK_AVX2 __attribute__((target("avx2")))

bool fourLanesOnly = false;

bool eightLanes()
{
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes && !fourLanesOnly;
}

TUNEDECK_AVX2 void affineEight(const float *a, std::size_t aStride, std::size_t rows, std::size_t depth,
                               const float *b, const float *bias, std::size_t width, float *c, bool rectify)
{
    Kernels<Eight>::affine(a, aStride, rows, depth, b, bias, width, c, rectify);
}

TUNEDECK_AVX2 void addTermsEight(const std::uint32_t *rows, const float *values, std::size_t count, const float *b,
                                 std::size_t width, float *out)
{
    Kernels<Eight>::addTerms(rows, values, count, b, width, out);
}

TUNEDECK_AVX2 void runGruEight(const GruDirection (&directions)[2], std::size_t hidden, std::size_t gateWidth,
                               std::size_t frames, std::size_t projectionStride, std::size_t stateStride, float *gates)
{
    Kernels<Eight>::runGru(directions, hidden, gateWidth, frames, projectionStride, stateStride, gates);
}

TUNEDECK_AVX2 void softmaxEight(const float *x, std::size_t n, float *out)
{
    Kernels<Eight>::softmax(x, n, out);
}
#endif

} // namespace

void useFourLanes(bool only)
{
#ifdef TUNEDECK_EIGHT_LANES
    fourLanesOnly = only;
#else
    (void)only;
#endif
}

std::vector<float> panels(std::span<const float> matrix, std::size_t depth, std::size_t width, std::size_t widest)
{
    std::vector<float> out(depth * width);
    for (std::size_t j = 0; j < width;) {
        const std::size_t w = j + widest <= width ? widest : Block;
        for (std::size_t d = 0; d < depth; ++d)
            std::copy_n(matrix.data() + d * width + j, w, out.data() + j * depth + d * w);
        j += w;
    }
    return out;
}

void affine(const float *a, std::size_t aStride, std::size_t rows, std::size_t depth, const float *b, const float *bias,
            std::size_t width, float *c, bool rectify)
{
#ifdef TUNEDECK_EIGHT_LANES
    if (eightLanes())
        return affineEight(a, aStride, rows, depth, b, bias, width, c, rectify);
#endif
    Kernels<Four>::affine(a, aStride, rows, depth, b, bias, width, c, rectify);
}

void addTerms(const std::uint32_t *rows, const float *values, std::size_t count, const float *b, std::size_t width,
              float *out)
{
#ifdef TUNEDECK_EIGHT_LANES
    if (eightLanes())
        return addTermsEight(rows, values, count, b, width, out);
#endif
    Kernels<Four>::addTerms(rows, values, count, b, width, out);
}

void relu(float *x, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        x[i] = std::max(x[i], 0.f);
}

void runGru(const GruDirection (&directions)[2], std::size_t hidden, std::size_t gateWidth, std::size_t frames,
            std::size_t projectionStride, std::size_t stateStride, float *gates)
{
#ifdef TUNEDECK_EIGHT_LANES
    if (eightLanes())
        return runGruEight(directions, hidden, gateWidth, frames, projectionStride, stateStride, gates);
#endif
    Kernels<Four>::runGru(directions, hidden, gateWidth, frames, projectionStride, stateStride, gates);
}

void softmax(const float *x, std::size_t n, float *out)
{
#ifdef TUNEDECK_EIGHT_LANES
    if (eightLanes())
        return softmaxEight(x, n, out);
#endif
    Kernels<Four>::softmax(x, n, out);
}

} // namespace tunedeck::keymodel::layers
