// What names take from a score: its key signatures and how each pitched note is written.
#ifndef TUNEDECK_CORE_SCORE_SCORESPELLING_H
#define TUNEDECK_CORE_SCORE_SCORESPELLING_H

#include "core/base/spelling.h"
#include "core/score/score.h"

namespace tunedeck::score {

// The drums and quarter tones left out: they spell no key.
ScoreSpelling spellingOf(const Score &score);

} // namespace tunedeck::score

#endif
