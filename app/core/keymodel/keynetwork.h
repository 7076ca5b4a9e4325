// The key and harmony network over a piece's beat frames (tools/keymodel/network.py): two
// convolutions, a bidirectional GRU and a head per task, each head starting from what the
// present models say of the frame. Its weights are trained in Python and exported into
// fittedkeymodel.h by tools/keymodel/export.py; this is their forward pass.
#ifndef TUNEDECK_CORE_KEYMODEL_KEYNETWORK_H
#define TUNEDECK_CORE_KEYMODEL_KEYNETWORK_H

#include <cstddef>
#include <span>
#include <vector>

namespace tunedeck::keymodel {

// A frame's inputs: the chord model's 36, then the present models' one-hots of the local key
// (24: major 0-11, minor 12-23 by tonic), the chord's root (13: no chord last), its quality (13)
// and its bass (12).
constexpr int InputCount = 98;
constexpr int KeyClasses = 24, RootClasses = 13, QualityClasses = 13, BassClasses = 12;

struct NetworkOutputs {
    std::size_t frames = 0;
    std::vector<float> key, root, quality, bass; // row-major [frame][class] probabilities
};

// The fitted network on inputs row-major [frame][InputCount]; no frames give empty outputs.
// Throws std::invalid_argument when inputs do not hold frames * InputCount values.
NetworkOutputs runNetwork(std::span<const float> inputs, std::size_t frames);

// The most probable class, the lower on a tie; -1 for none.
int decision(std::span<const float> probabilities);

} // namespace tunedeck::keymodel

#endif
