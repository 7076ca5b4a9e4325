// The C interface: a thin shell over the one engine of the process.
#include "tonalyte.h"

#include "processinstance.h"

using namespace tonalyte;

extern "C" {

int32_t TONALYTE_CALL KeyGetDllVersion(void) { return TONALYTE_VERSION; }
int32_t TONALYTE_CALL KeyClearEvs(void) { return processInstance().clearEvs(); }
int32_t TONALYTE_CALL KeyStartTimer(void) { return processInstance().startTimer(); }
int32_t TONALYTE_CALL KeyStopTimer(void) { return processInstance().stopTimer(); }
int32_t TONALYTE_CALL KeyGetTimeTCnt(void) { return processInstance().timeTCnt(); }
float TONALYTE_CALL KeyGetSsMinCur(void) { return processInstance().ssMinCur(); }
int32_t TONALYTE_CALL KeyGetInpTCnt(void) { return processInstance().inpTCnt(); }
int32_t TONALYTE_CALL KeyGetTapCnt(void) { return processInstance().tapCnt(); }
int32_t TONALYTE_CALL KeyGetKeyType(void) { return processInstance().keyType(); }
int32_t TONALYTE_CALL KeyGetHaCode(void) { return processInstance().haCode(); }

int32_t TONALYTE_CALL KeyGetKStatic(int32_t *keys, int32_t *counts)
{
    return processInstance().kStatic(keys, counts);
}

int32_t TONALYTE_CALL KeySetTrkEvsF(int32_t plTime, int32_t EvCod, int32_t EvCao, int32_t EvVel)
{
    return processInstance().setTrkEvsF(plTime, EvCod, EvCao, EvVel);
}

int32_t TONALYTE_CALL KeySetTrkEvsR(int32_t EvCod, int32_t EvCao, int32_t EvVel, int32_t *out1,
                                    int32_t *out2)
{
    return processInstance().setTrkEvsR(EvCod, EvCao, EvVel, out1, out2);
}

int32_t TONALYTE_CALL KeyGetKTiming(int32_t *keys, int32_t *times)
{
    return processInstance().kTiming(keys, times);
}

int32_t TONALYTE_CALL KeySetDetectMode(int32_t flag) { return processInstance().setDetectMode(flag); }
int32_t TONALYTE_CALL KeySetSensitive(int32_t flag) { return processInstance().setSensitive(flag); }
int32_t TONALYTE_CALL KeySetTestOn(int32_t flag) { return processInstance().setTestOn(flag); }

} // extern "C"
