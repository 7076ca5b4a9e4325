// The chord table of the local keys fitted on the corpus' annotated local keys: every
// window's chord counted relative to the tonic of the key annotated at its middle.
#ifndef TUNEDECK_KEYSCORE_CHORDFIT_H
#define TUNEDECK_KEYSCORE_CHORDFIT_H

#include "keyscore/corpus.h"

#include "core/profile/chords.h"

#include <string>
#include <vector>

namespace tunedeck::keyscore {

struct ChordFitCounts {
    int files = 0;     // annotated files
    long windows = 0;  // windows with a clear chord inside an annotated key
};

// Log probabilities of the chord classes per mode over the included annotated files, each
// class counted `prior` more times; windows of windowQuarters, chords found with `finding`.
profile::ChordTable fitChords(const std::vector<CorpusFile> &files, const std::vector<bool> &included,
                              const profile::ChordFinding &finding, double prior, int windowQuarters,
                              ChordFitCounts *counted = nullptr);

} // namespace tunedeck::keyscore

#endif
