#include "enginestate.h"

namespace tonalyte {

void clearEngine(Engine &e)
{
    for (NoteState &n : e.noteState)
        n = {0, 0, 0};
    for (int32_t &d : e.pcDur)
        d = 0;
    for (KeyStatEntry &k : e.keyStat)
        k = {0, 0};
    for (KeyDecision &t : e.keyTimeline)
        t = {-1, 0, 0};
    e.timelineLen = 0;
    e.timelineFull = 0;
    e.detectCnt = 0;
    e.heldDecision = {0, 0};
    e.acceptedDecision = {0, 0};
    e.keyType = 0;
    e.haCode = 0;
    e.ratioLimit = 1.0f;
    e.savedRatio = 0.0f;
    e.fitRatio = 0.0f;
    e.tapCnt = 0;
    e.timeTCnt = 0;
    e.pendingStart = -1;
    e.changeOnTime = 0;
    e.detail1 = -1;
    e.detail2 = -1;
    e.outDetail1 = -1;
    e.outDetail2 = -1;
}

void setSensitive(Engine &e, bool strict)
{
    e.strictMode = strict;
    e.minInpTCnt = strict ? 7 : 6;
}

int countInpTCnt(const Engine &e)
{
    int n = 0;
    for (int32_t d : e.pcDur)
        n += d > 0 ? 1 : 0;
    return n;
}

} // namespace tonalyte
