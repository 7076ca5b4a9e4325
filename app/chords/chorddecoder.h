// The chords through time: a hidden Markov model whose states are the chord classes, whose
// emissions are the model's frame probabilities, and where a chord stays unless another one
// pays its way: a change costs more between beats than on one.
#ifndef TUNEDECK_CHORDS_CHORDDECODER_H
#define TUNEDECK_CHORDS_CHORDDECODER_H

#include "chords/chordmodel.h"

#include <vector>

namespace tunedeck::chords {

struct Decoded {
    std::vector<int> path;        // the likeliest chord class per frame
    std::vector<float> posterior; // each frame's probability of its class on that path, given all frames
};

// emissions: per frame, log probabilities; change[f]: the log cost of a change into frame f.
Decoded decodeChords(const std::vector<ClassScores> &emissions, const std::vector<float> &change);

} // namespace tunedeck::chords

#endif
