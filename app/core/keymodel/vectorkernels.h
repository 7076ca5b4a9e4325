// layers.cpp's loops written once over a vector type of GCC's and Clang's extension, V, of 4 or
// 8 floats: left to themselves, the compilers vectorised these loops across the wrong index.
// layers.cpp compiles them for AVX2 with FMA and for four lanes (SSE, WebAssembly SIMD, NEON).
#ifndef TUNEDECK_CORE_KEYMODEL_VECTORKERNELS_H
#define TUNEDECK_CORE_KEYMODEL_VECTORKERNELS_H

#include "core/keymodel/layout.h"

#include <algorithm>
#include <cstring>

// Inlined into each function that calls them, so compiled for its instructions.
#define TUNEDECK_INLINE [[gnu::always_inline]] static inline

namespace tunedeck::keymodel::layers {

template <class V>
struct Kernels {
    static constexpr std::size_t Lanes = sizeof(V) / sizeof(float);
    static_assert(Block % Lanes == 0);
    using Ints = decltype(V{} < V{}); // a comparison's lanes: all ones or zero

    TUNEDECK_INLINE V load(const float *p)
    {
        V v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }

    TUNEDECK_INLINE void store(float *p, const V &v) { std::memcpy(p, &v, sizeof v); }

    // n lanes (at most Lanes), the others zero.
    TUNEDECK_INLINE V loadSome(const float *p, std::size_t n)
    {
        if (n == Lanes)
            return load(p);
        V v{};
        std::memcpy(&v, p, n * sizeof(float));
        return v;
    }

    TUNEDECK_INLINE void storeSome(float *p, const V &v, std::size_t n)
    {
        if (n == Lanes)
            store(p, v);
        else
            std::memcpy(p, &v, n * sizeof(float));
    }

    TUNEDECK_INLINE V splat(float x) { return V{} + x; }

    // Lane by lane, `when` chooses a, else b.
    TUNEDECK_INLINE V choose(const Ints &when, const V &a, const V &b)
    {
        return V((Ints(a) & when) | (Ints(b) & ~when));
    }

    // e^x to a relative error of a few 10^-7 (Cephes' expf): a polynomial on x less the nearest
    // multiple of ln 2, times that power of two made in the exponent's bits.
    TUNEDECK_INLINE V exponential(const V &unbounded)
    {
        const V low = splat(-87.f), high = splat(88.f);
        const V x = choose(unbounded < low, low, choose(unbounded > high, high, unbounded));
        const V round = splat(12582912.f); // 1.5 * 2^23: adding it rounds to a whole number
        const V n = (x * 1.44269504f + round) - round;
        const V r = (x - n * 0.693359375f) + n * 2.12194440e-4f;
        V p = splat(1.9875691500e-4f);
        p = p * r + 1.3981999507e-3f;
        p = p * r + 8.3334519073e-3f;
        p = p * r + 4.1665795894e-2f;
        p = p * r + 1.6666665459e-1f;
        p = p * r + 5.0000001201e-1f;
        const V power = V((__builtin_convertvector(n, Ints) + 127) << 23);
        return (p * r * r + r + 1.f) * power;
    }

    TUNEDECK_INLINE V sigmoid(const V &x) { return 1.f / (1.f + exponential(-x)); }

    TUNEDECK_INLINE V hyperbolicTangent(const V &x) { return 1.f - 2.f / (exponential(2.f * x) + 1.f); }

    // Rows rows by Vecs * Lanes outputs, their sums kept in registers over the whole depth of a
    // panel: c = start + a b, rectified on request. start's rows step by startStride (0: one row).
    template <std::size_t Rows, std::size_t Vecs>
    TUNEDECK_INLINE void block(const float *a, std::size_t aStride, std::size_t depth, const float *panel,
                               const float *start, std::size_t startStride, float *c, std::size_t cStride, bool rectify)
    {
        V sum[Rows][Vecs];
        for (std::size_t r = 0; r < Rows; ++r)
            for (std::size_t v = 0; v < Vecs; ++v)
                sum[r][v] = load(start + r * startStride + v * Lanes);
        for (std::size_t d = 0; d < depth; ++d, panel += Vecs * Lanes) {
            V w[Vecs];
            for (std::size_t v = 0; v < Vecs; ++v)
                w[v] = load(panel + v * Lanes);
            for (std::size_t r = 0; r < Rows; ++r) {
                const float x = a[r * aStride + d];
                for (std::size_t v = 0; v < Vecs; ++v)
                    sum[r][v] += x * w[v];
            }
        }
        for (std::size_t r = 0; r < Rows; ++r)
            for (std::size_t v = 0; v < Vecs; ++v)
                store(c + r * cStride + v * Lanes, rectify ? choose(sum[r][v] > 0.f, sum[r][v], V{}) : sum[r][v]);
    }

    TUNEDECK_INLINE void affine(const float *a, std::size_t aStride, std::size_t rows, std::size_t depth,
                                const float *b, const float *bias, std::size_t width, float *c, bool rectify)
    {
        // Four rows at a time: each weight read serves four frames.
        std::size_t r = 0;
        for (; r + 4 <= rows; r += 4)
            for (std::size_t j = 0; j < width; j += Block)
                block<4, Block / Lanes>(a + r * aStride, aStride, depth, b + j * depth, bias + j, 0, c + r * width + j,
                                        width, rectify);
        for (; r < rows; ++r)
            for (std::size_t j = 0; j < width; j += Block)
                block<1, Block / Lanes>(a + r * aStride, 0, depth, b + j * depth, bias + j, 0, c + r * width + j, 0,
                                        rectify);
    }

    // One row, c = bias + a b, on Wide panels (then Block ones): a long sum with several chains at
    // once. With `reverse` the panels go last to first, starting with those the call before left
    // in the cache.
    TUNEDECK_INLINE void rowTimes(const float *a, std::size_t depth, const float *b, const float *bias,
                                  std::size_t width, float *c, bool reverse)
    {
        const std::size_t wide = width / Wide * Wide; // the columns in Wide panels
        for (std::size_t j = reverse ? width : 0; reverse ? j > 0 : j < width;) {
            const bool isWide = reverse ? j <= wide : j < wide;
            const std::size_t at = reverse ? j - (isWide ? Wide : Block) : j;
            if (isWide)
                block<1, Wide / Lanes>(a, 0, depth, b + at * depth, bias + at, 0, c + at, 0, false);
            else
                block<1, Block / Lanes>(a, 0, depth, b + at * depth, bias + at, 0, c + at, 0, false);
            j = reverse ? at : at + (isWide ? Wide : Block);
        }
    }

    TUNEDECK_INLINE void addTerms(const std::uint32_t *rows, const float *values, std::size_t count, const float *b,
                                  std::size_t width, float *out)
    {
        std::size_t j = 0;
        for (; j + Wide <= width; j += Wide)
            termsBlock<Wide / Lanes>(rows, values, count, b + j, width, out + j);
        for (; j < width; j += Block)
            termsBlock<Block / Lanes>(rows, values, count, b + j, width, out + j);
    }

    // Vecs * Lanes outputs of addTerms in registers.
    template <std::size_t Vecs>
    TUNEDECK_INLINE void termsBlock(const std::uint32_t *rows, const float *values, std::size_t count, const float *b,
                                    std::size_t width, float *out)
    {
        V sum[Vecs];
        for (std::size_t v = 0; v < Vecs; ++v)
            sum[v] = load(out + v * Lanes);
        for (std::size_t m = 0; m < count; ++m) {
            const float *w = b + std::size_t(rows[m]) * width;
            for (std::size_t v = 0; v < Vecs; ++v)
                sum[v] += values[m] * load(w + v * Lanes);
        }
        for (std::size_t v = 0; v < Vecs; ++v)
            store(out + v * Lanes, sum[v]);
    }

    TUNEDECK_INLINE void runGru(const GruDirection (&directions)[2], std::size_t h, std::size_t gateWidth,
                                std::size_t frames, std::size_t projectionStride, std::size_t stateStride, float *gates)
    {
        // One direction after the other: each keeps more of its weights in the cache.
        for (const GruDirection &direction : directions)
            for (std::size_t step = 0; step < frames; ++step) {
                const std::size_t t = direction.backward ? frames - 1 - step : step;
                // The state before: none, zeros, at the first frame.
                const float *previous =
                    step == 0 ? nullptr : direction.states + (direction.backward ? t + 1 : t - 1) * stateStride;
                if (previous)
                    rowTimes(previous, h, direction.hiddenWeights, direction.hiddenBias, gateWidth, gates, step % 2);
                else
                    std::copy_n(direction.hiddenBias, gateWidth, gates);
                const float *p = direction.projections + t * projectionStride;
                float *state = direction.states + t * stateStride;
                for (std::size_t j = 0; j < h; j += Lanes) {
                    const std::size_t n = std::min(Lanes, h - j);
                    const V reset = sigmoid(loadSome(p + j, n) + loadSome(gates + j, n));
                    const V update = sigmoid(loadSome(p + h + j, n) + loadSome(gates + h + j, n));
                    const V candidate =
                        hyperbolicTangent(loadSome(p + 2 * h + j, n) + reset * loadSome(gates + 2 * h + j, n));
                    const V last = previous ? loadSome(previous + j, n) : V{};
                    storeSome(state + j, (1.f - update) * candidate + update * last, n);
                }
            }
    }

    TUNEDECK_INLINE void softmax(const float *x, std::size_t n, float *out)
    {
        const float largest = *std::max_element(x, x + n);
        float e[MostClasses + Lanes];
        for (std::size_t i = 0; i < n; i += Lanes)
            store(e + i, exponential(load(x + i) - largest));
        float total = 0;
        for (std::size_t i = 0; i < n; ++i)
            total += e[i];
        const float scale = 1.f / total;
        for (std::size_t i = 0; i < n; ++i)
            out[i] = e[i] * scale;
    }
};

} // namespace tunedeck::keymodel::layers

#undef TUNEDECK_INLINE

#endif
