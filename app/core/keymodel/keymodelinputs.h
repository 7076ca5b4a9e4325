// What the key and harmony network reads of a piece, beat frame by beat frame: the chord
// analysis' frame inputs and what the present models say there (local key, chord). Training
// reads the same through the Python package, so both see one set of features.
#ifndef TUNEDECK_CORE_KEYMODEL_KEYMODELINPUTS_H
#define TUNEDECK_CORE_KEYMODEL_KEYMODELINPUTS_H

#include "core/chords/chordanalysis.h"
#include "core/keymodel/keynetwork.h"
#include "core/profile/profileanalysis.h"

#include <span>
#include <vector>

namespace tunedeck::keymodel {

// Per frame: the 36 frame inputs; the local key one-hot (major 0-11, minor 12-23 by tonic;
// zeros outside the local keys); the chord's root (12 pitch classes, then no chord), its
// quality (13) and its bass (12), one-hot, the last two zeros for no chord.
constexpr int PresentKeyAt = 36, PresentRootAt = 60, PresentQualityAt = 73, PresentBassAt = 86;

// Row-major [frame][InputCount], frames as `frames` has them; each frame reads the
// present answers at its middle tick.
std::vector<float> modelInputs(const chords::ChordFrames &frames, const profile::ProfileAnalysis &keys,
                               std::span<const chords::ChordSegment> chords);

} // namespace tunedeck::keymodel

#endif
