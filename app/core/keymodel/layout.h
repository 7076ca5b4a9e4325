// What the key network's layers and their vector kernels share: the block widths weights are
// padded to, and a GRU direction's buffers.
#ifndef TUNEDECK_CORE_KEYMODEL_LAYOUT_H
#define TUNEDECK_CORE_KEYMODEL_LAYOUT_H

#include <cstddef>

namespace tunedeck::keymodel::layers {

// Output rows are whole blocks of this many values: widths are padded with zero weights.
constexpr std::size_t Block = 16;
constexpr std::size_t padded(std::size_t n)
{
    return (n + Block - 1) / Block * Block;
}

constexpr std::size_t Wide = 4 * Block;

// One direction of a GRU with PyTorch's gates r, z, n.
struct GruDirection {
    const float *hiddenWeights; // [hidden][gateWidth]: the hidden weights turned, in panels of Wide
    const float *hiddenBias;    // [gateWidth]
    const float *projections;   // W_i x + b_i of each frame, [frame][3 * hidden] at projectionStride
    float *states;              // written, [frame][hidden] at stateStride
    bool backward;              // from the last frame to the first
};

} // namespace tunedeck::keymodel::layers

#endif
