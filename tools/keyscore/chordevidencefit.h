// The profile analysis' window chord evidence fitted on the corpus' annotated local keys:
// every window's chord counted relative to the tonic of the key annotated at its middle.
#ifndef TUNEDECK_KEYSCORE_CHORDEVIDENCEFIT_H
#define TUNEDECK_KEYSCORE_CHORDEVIDENCEFIT_H

#include "keyscore/corpus.h"

#include "core/profile/windowchords.h"

#include <string>
#include <vector>

namespace tunedeck::keyscore {

struct ChordEvidenceCounts {
    int files = 0;     // annotated files
    long windows = 0;  // windows with a clear chord inside an annotated key
};

// Log probabilities of the templates' classes per mode over the included annotated files,
// each class counted `prior` more times; windows of windowQuarters, chords found with
// `finding`. The classes no template finds stay 0.
harmony::KeyChordTable fitChordEvidence(const std::vector<CorpusFile> &files, const std::vector<bool> &included,
                                        const profile::ChordFinding &finding, double prior, int windowQuarters,
                                        ChordEvidenceCounts *counted = nullptr);

} // namespace tunedeck::keyscore

#endif
