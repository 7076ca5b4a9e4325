// Scores the 36 candidate scales against the pitch-class durations and decides a key.
#ifndef TONALYTE_KEYSCORER_H
#define TONALYTE_KEYSCORER_H

#include "enginestate.h"

namespace tonalyte {

// Time outside scale s plus the weights of its notes that have not sounded; lower is better.
int32_t scoreScale(int s, const int32_t durations[12]);

struct ScoreResult {
    int32_t best;
    int32_t scoreBase;
};

// Scores e.pcDur and writes tapCnt, scoredDecision.keyCode/inpTCnt, keyType, detail1, detail2.
ScoreResult findKey(Engine &e);

} // namespace tonalyte

#endif
