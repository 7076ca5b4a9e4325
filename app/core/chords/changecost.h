// What a chord change costs between two frames, from what the notes do there: the harmony
// rarely moves while the bass and the other notes hold, and often where they move together.
#ifndef TUNEDECK_CORE_CHORDS_CHANGECOST_H
#define TUNEDECK_CORE_CHORDS_CHANGECOST_H

#include "core/chords/chordframes.h"

#include <vector>

namespace tunedeck::chords {

struct ChangeCosts {
    double change = 2;      // the log cost of a change on a beat...
    double offBeat = 2;     // ...and this much more between frames that split a beat
    double bassMoves = 0;   // this much less where the frame's bass is another pitch class than before
    double notesMove = 0;   // and this much less times how far the notes sounding moved (0 to 1)
};

// The cost of a change into each frame (the first's is never read), never below zero.
std::vector<float> changeCosts(const std::vector<FrameFeatures> &frames, const std::vector<bool> &onBeat,
                               const ChangeCosts &costs);

// How far apart two frames' notes are: 1 less the cosine of their pitch-class durations
// (0 where either is silent).
double notesMoved(const FrameFeatures &a, const FrameFeatures &b);

} // namespace tunedeck::chords

#endif
