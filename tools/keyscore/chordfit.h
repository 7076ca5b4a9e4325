// The chord table of the local keys fitted on the corpus' annotated local keys: every
// window's chord counted relative to the tonic of the key annotated at its middle.
#ifndef TUNEDECK_KEYSCORE_CHORDFIT_H
#define TUNEDECK_KEYSCORE_CHORDFIT_H

#include "keyscore/corpus.h"

#include "profile/chords.h"

#include <string>
#include <vector>

namespace tunedeck::keyscore {

// Log probabilities of the chord classes per mode over the included annotated files, each
// class counted `prior` more times; windows of windowQuarters, chords found with `finding`.
profile::ChordTable fitChords(const std::vector<CorpusFile> &files, const std::vector<bool> &included,
                                  const profile::ChordFinding &finding, double prior, int windowQuarters);

// The table as a header to compile in (app/profile/fittedchords.h).
std::string fittedChordsHeader(const profile::ChordTable &table, const std::vector<CorpusFile> &files,
                               double prior, int windowQuarters);

} // namespace tunedeck::keyscore

#endif
