// The engine linked into this program: the same code as the library, without loading it.
// There is one engine per process whichever way it is reached, so a program links it or
// loads it, not both.
#ifndef TUNEDECK_LINKEDTONALYTE_H
#define TUNEDECK_LINKEDTONALYTE_H

#include "engine/tonalyteengine.h"

namespace tunedeck {

class LinkedTonalyte final : public TonalyteEngine {
public:
    std::int32_t KeyGetDllVersion() override;
    std::int32_t KeyClearEvs() override;
    std::int32_t KeyStartTimer() override;
    std::int32_t KeyStopTimer() override;
    std::int32_t KeyGetTimeTCnt() override;
    float KeyGetSsMinCur() override;
    std::int32_t KeyGetInpTCnt() override;
    std::int32_t KeyGetTapCnt() override;
    std::int32_t KeyGetKeyType() override;
    std::int32_t KeyGetHaCode() override;
    std::int32_t KeyGetKStatic(std::int32_t *keys, std::int32_t *counts) override;
    std::int32_t KeySetTrkEvsF(std::int32_t plTime, std::int32_t EvCod, std::int32_t EvCao,
                               std::int32_t EvVel) override;
    std::int32_t KeySetTrkEvsR(std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel, std::int32_t *out1,
                               std::int32_t *out2) override;
    std::int32_t KeyGetKTiming(std::int32_t *keys, std::int32_t *times) override;
    std::int32_t KeySetDetectMode(std::int32_t flag) override;
    std::int32_t KeySetSensitive(std::int32_t flag) override;
    std::int32_t KeySetTestOn(std::int32_t flag) override;
};

} // namespace tunedeck

#endif
