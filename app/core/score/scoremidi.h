// A score as a Standard MIDI File (format 1, 480 ticks a quarter): the tempo track with the
// tempos, meters and key signatures, then one track a part with its name, program and notes.
// Every path that takes MIDI bytes takes a score so, converted at the door.
#ifndef TUNEDECK_CORE_SCORE_SCOREMIDI_H
#define TUNEDECK_CORE_SCORE_SCOREMIDI_H

#include "core/score/score.h"

#include <string>

namespace tunedeck::score {

// Each part on its own channel in score order (10 kept for drums; after the fourteenth part
// the channels are shared), the notes at this velocity.
inline constexpr int NoteVelocity = 80;

std::string midiBytes(const Score &score);

} // namespace tunedeck::score

#endif
