// The C interface: a thin shell over the one engine of the process.
#include "tonalyte.h"

#include "enginestate.h"
#include "eventintake.h"
#include "statistics.h"
#include "ticktimer.h"

using namespace tonalyte;

extern "C" {

int32_t TONALYTE_CALL KeyGetDllVersion(void) { return TONALYTE_VERSION; }

int32_t TONALYTE_CALL KeyClearEvs(void)
{
    clearEngine(theEngine);
    clearTimerCount();
    return 0;
}

int32_t TONALYTE_CALL KeyStartTimer(void) { return startTimer(); }

int32_t TONALYTE_CALL KeyStopTimer(void) { return stopTimer(); }

int32_t TONALYTE_CALL KeyGetTimeTCnt(void)
{
    return static_cast<int32_t>(timerTCnt.load(std::memory_order_relaxed));
}

float TONALYTE_CALL KeyGetSsMinCur(void) { return readFitRatio(theEngine); }

int32_t TONALYTE_CALL KeyGetInpTCnt(void) { return countInpTCnt(theEngine); }

int32_t TONALYTE_CALL KeyGetTapCnt(void) { return theEngine.tapCnt; }

int32_t TONALYTE_CALL KeyGetKeyType(void) { return theEngine.keyType; }

int32_t TONALYTE_CALL KeyGetHaCode(void) { return theEngine.haCode; }

int32_t TONALYTE_CALL KeyGetKStatic(int32_t *keys, int32_t *counts)
{
    return readKeyStatistics(theEngine, keys, counts);
}

int32_t TONALYTE_CALL KeySetTrkEvsF(int32_t plTime, int32_t EvCod, int32_t EvCao, int32_t EvVel)
{
    return feedAtTime(theEngine, plTime, EvCod, EvCao, EvVel);
}

int32_t TONALYTE_CALL KeySetTrkEvsR(int32_t EvCod, int32_t EvCao, int32_t EvVel, int32_t *out1,
                                    int32_t *out2)
{
    theEngine.timeTCnt = static_cast<int32_t>(timerTCnt.load(std::memory_order_relaxed));
    const int32_t result = feedEvent(theEngine, EvCod, EvCao, EvVel);
    // The pair in force goes out on every call, a rejected event included.
    if (out1)
        *out1 = theEngine.outDetail1;
    if (out2)
        *out2 = theEngine.outDetail2;
    return result;
}

int32_t TONALYTE_CALL KeyGetKTiming(int32_t *keys, int32_t *times)
{
    return readKeyTimeline(theEngine, keys, times);
}

int32_t TONALYTE_CALL KeySetDetectMode(int32_t flag)
{
    theEngine.detectMode = flag != 0;
    return 1;
}

int32_t TONALYTE_CALL KeySetSensitive(int32_t flag)
{
    setSensitive(theEngine, flag != 0);
    return 1;
}

int32_t TONALYTE_CALL KeySetTestOn(int32_t flag)
{
    theEngine.testOn = flag != 0;
    return 1;
}

} // extern "C"
