#include "engine/linkedtonalyte.h"

#include "tonalyte.h"

namespace tunedeck {

std::int32_t LinkedTonalyte::KeyGetDllVersion() { return ::KeyGetDllVersion(); }
std::int32_t LinkedTonalyte::KeyClearEvs() { return ::KeyClearEvs(); }
std::int32_t LinkedTonalyte::KeyStartTimer() { return ::KeyStartTimer(); }
std::int32_t LinkedTonalyte::KeyStopTimer() { return ::KeyStopTimer(); }
std::int32_t LinkedTonalyte::KeyGetTimeTCnt() { return ::KeyGetTimeTCnt(); }
float LinkedTonalyte::KeyGetSsMinCur() { return ::KeyGetSsMinCur(); }
std::int32_t LinkedTonalyte::KeyGetInpTCnt() { return ::KeyGetInpTCnt(); }
std::int32_t LinkedTonalyte::KeyGetTapCnt() { return ::KeyGetTapCnt(); }
std::int32_t LinkedTonalyte::KeyGetKeyType() { return ::KeyGetKeyType(); }
std::int32_t LinkedTonalyte::KeyGetHaCode() { return ::KeyGetHaCode(); }

std::int32_t LinkedTonalyte::KeyGetKStatic(std::int32_t *keys, std::int32_t *counts)
{
    return ::KeyGetKStatic(keys, counts);
}

std::int32_t LinkedTonalyte::KeySetTrkEvsF(std::int32_t plTime, std::int32_t EvCod, std::int32_t EvCao,
                                           std::int32_t EvVel)
{
    return ::KeySetTrkEvsF(plTime, EvCod, EvCao, EvVel);
}

std::int32_t LinkedTonalyte::KeySetTrkEvsR(std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel,
                                           std::int32_t *out1, std::int32_t *out2)
{
    return ::KeySetTrkEvsR(EvCod, EvCao, EvVel, out1, out2);
}

std::int32_t LinkedTonalyte::KeyGetKTiming(std::int32_t *keys, std::int32_t *times)
{
    return ::KeyGetKTiming(keys, times);
}

std::int32_t LinkedTonalyte::KeySetDetectMode(std::int32_t flag) { return ::KeySetDetectMode(flag); }
std::int32_t LinkedTonalyte::KeySetSensitive(std::int32_t flag) { return ::KeySetSensitive(flag); }
std::int32_t LinkedTonalyte::KeySetTestOn(std::int32_t flag) { return ::KeySetTestOn(flag); }

} // namespace tunedeck
