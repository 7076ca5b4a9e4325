// What the caller reads back: per-key statistics and the key timeline.
#ifndef TONALYTE_STATISTICS_H
#define TONALYTE_STATISTICS_H

#include "enginestate.h"

namespace tonalyte {

// keys and counts: 24 elements (C..B major, then C..B minor). Returns the detection count.
int32_t readKeyStatistics(const Engine &e, int32_t *keys, int32_t *counts);

// keys and times: up to 256 elements, through the first entry with a negative time.
// Logs each entry while the test switch is on. Returns 1 when the timeline is full.
int32_t readKeyTimeline(const Engine &e, int32_t *keys, int32_t *times);

// The latest fit ratio, with values below one millionth reported as 0.
float readFitRatio(const Engine &e);

} // namespace tonalyte

#endif
