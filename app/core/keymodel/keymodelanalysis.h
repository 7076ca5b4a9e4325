// The key and harmony network in a file's analysis: it reads the beat frames and the present
// answers, and its local keys take the present ones' place (regions, bars, confidences), so
// every front end that installs it shows them through the same fields.
#ifndef TUNEDECK_CORE_KEYMODEL_KEYMODELANALYSIS_H
#define TUNEDECK_CORE_KEYMODEL_KEYMODELANALYSIS_H

#include "core/base/noteevent.h"
#include "core/chords/chordanalysis.h"
#include "core/profile/profileanalysis.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::keymodel {

// The key path through the frames' key probabilities ([frame][24]) paying `penalty` (log) a
// change; 0 takes each frame's own decision. Ties go to the lower class.
std::vector<int> keyPath(std::span<const float> keyProbabilities, std::size_t frames, double penalty);

// The windows' keys (key codes) and their probabilities from frame keys: each window takes the
// key its frames hold longest, with those frames' mean probability of it. A window no frame
// reaches keeps `fallback`'s key and share.
struct WindowKeys {
    std::vector<int> keyCodes;
    std::vector<float> shares;
};
WindowKeys windowKeys(const chords::ChordFrames &frames, std::span<const int> frameKeys,
                      std::span<const float> keyProbabilities, std::int64_t windowTicks,
                      const profile::ProfileAnalysis &fallback);

// The network's local keys in place of the analysis' own, and the chords of the events found in
// them (the present chords, in the present keys, are the network's inputs). Without windows
// the keys stay and the chords are the present ones.
std::vector<chords::ChordSegment> applyKeyModel(const std::vector<NoteEvent> &events, const chords::ChordClock &clock,
                                                profile::ProfileAnalysis &keys);

// applyKeyModel as the analyses' model of the local keys (chords/keysandchords.h), for
// AnalysisChoices::keyNetwork: the command and Python call it as they start.
void installKeyModel();

} // namespace tunedeck::keymodel

#endif
