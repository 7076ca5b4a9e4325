// The key network's arithmetic over whole sequences: the products of frames with weights turned
// [input][output] (each input adds a contiguous row to the outputs, which vectorises without
// reordering any sum), the GRU's steps and the softmax. keynetwork.cpp lays the weights out.
#ifndef TUNEDECK_CORE_KEYMODEL_LAYERS_H
#define TUNEDECK_CORE_KEYMODEL_LAYERS_H

#include "core/keymodel/layout.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::keymodel::layers {

// Weights [depth][width] as affine and runGru read them: in column panels, each [depth][its
// width] in one piece, so that a block of outputs streams through its weights. Panels are
// `widest` wide while they fit, then Block: affine's Block, runGru's Wide.
std::vector<float> panels(std::span<const float> matrix, std::size_t depth, std::size_t width, std::size_t widest);

// c[r][j] = bias[j] + the sum over d of a[r * aStride + d] * b[d][j], for r < rows and j < width
// (a whole number of blocks), b in panels of Block, c [rows][width]; with rectify, negative sums
// become 0. Rows of a may overlap (a convolution's windows).
void affine(const float *a, std::size_t aStride, std::size_t rows, std::size_t depth, const float *b, const float *bias,
            std::size_t width, float *c, bool rectify);

// out[j] += sum over m of values[m] * b[rows[m]][j] for j < width (a whole number of blocks): a
// frame's nonzero inputs alone.
void addTerms(const std::uint32_t *rows, const float *values, std::size_t count, const float *b, std::size_t width,
              float *out);

void relu(float *x, std::size_t n);

// Each frame's state in both directions from its input projections and the state before it.
// gates: gateWidth floats.
void runGru(const GruDirection (&directions)[2], std::size_t hidden, std::size_t gateWidth, std::size_t frames,
            std::size_t projectionStride, std::size_t stateStride, float *gates);

// The softmax of x[0, n) into out, n at most MostClasses; x is read in whole vectors, up to 7
// floats past its end.
constexpr std::size_t MostClasses = 32;
void softmax(const float *x, std::size_t n, float *out);

// The four-lane path even where eight are there, for the tests that compare the two; not for
// use beside runs in other threads.
void useFourLanes(bool only);

} // namespace tunedeck::keymodel::layers

#endif
