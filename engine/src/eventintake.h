// Note events in: per-note bookkeeping, durations per pitch class, acceptance of keys,
// statistics and the key timeline.
#ifndef TONALYTE_EVENTINTAKE_H
#define TONALYTE_EVENTINTAKE_H

#include "enginestate.h"

namespace tonalyte {

// Adds a duration of at least 1 to the note's pitch class; returns 1 if it added.
int addPcDur(Engine &e, int note, int32_t duration);

// One event at e.timeTCnt. Returns the key code in force, or -1 with a test-log line.
int32_t feedEvent(Engine &e, int32_t evCod, int32_t evCao, int32_t evVel);

// The fast feed: the caller's time, which may not go backwards.
int32_t feedAtTime(Engine &e, int32_t plTime, int32_t evCod, int32_t evCao, int32_t evVel);

} // namespace tonalyte

#endif
