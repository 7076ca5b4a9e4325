// The chords through time: a hidden Markov model whose states are chord classes, whose
// emissions are the model's frame scores, and where a chord stays unless another one pays
// its way: a change costs more between beats than on one.
#ifndef TUNEDECK_CORE_CHORDS_CHORDDECODER_H
#define TUNEDECK_CORE_CHORDS_CHORDDECODER_H

#include <cstddef>
#include <vector>

namespace tunedeck::chords {

struct Decoded {
    std::vector<int> path;        // the likeliest state per frame
    std::vector<float> posterior; // each frame's probability of its state on that path, given all frames
};

// scores: frames x states, row by row, each state's log probability up to a constant of its
// frame; change[f]: the log cost of a change into frame f. A change goes to any other of the
// `states` states alike (the model's whole vocabulary: states may be the only ones worth
// following, the rest left out).
// Without posteriors where the path alone is wanted (pathPosteriors gives them after).
Decoded decodeStates(const std::vector<float> &scores, std::size_t states, std::size_t vocabulary,
                     const std::vector<float> &change, bool withPosteriors = true);
// Each frame's probability of its state on path, given all frames.
std::vector<float> pathPosteriors(const std::vector<float> &scores, std::size_t states, std::size_t vocabulary,
                                  const std::vector<float> &change, const std::vector<int> &path);

} // namespace tunedeck::chords

#endif
