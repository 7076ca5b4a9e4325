#include "statistics.h"

#include "testlog.h"

#include <cstdio>

namespace tonalyte {

int32_t readKeyStatistics(const Engine &e, int32_t *keys, int32_t *counts)
{
    for (int i = 0; i < 12; ++i) {
        if (keys) {
            keys[i] = 160 + i;
            keys[12 + i] = 60 + i;
        }
        if (counts) {
            counts[i] = e.keyStat[i].majorCnt;
            counts[12 + i] = e.keyStat[i].minorCnt;
        }
    }
    return e.detectCnt;
}

int32_t readKeyTimeline(const Engine &e, int32_t *keys, int32_t *times)
{
    for (int i = 0; i < TimelineSize; ++i) {
        const KeyDecision &t = e.keyTimeline[i];
        if (keys)
            keys[i] = t.keyCode;
        if (times)
            times[i] = t.time;
        if (e.testOn) {
            char line[64];
            std::snprintf(line, sizeof line, "%03d: %07ld, %03d", i, static_cast<long>(t.time),
                          static_cast<int>(t.keyCode));
            writeTestLog(e, line);
        }
        if (t.time < 0) {
            writeTestLog(e, "=================");
            break;
        }
    }
    return e.timelineFull;
}

float readFitRatio(const Engine &e)
{
    return static_cast<double>(e.fitRatio) < 0.000001 ? 0.0f : e.fitRatio;
}

} // namespace tonalyte
