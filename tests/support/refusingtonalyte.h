// An engine that refuses the events of one note, as the library refuses what it cannot take,
// and passes everything else to another engine. No run feeds the library a note it refuses,
// so tests reach the ends of a refusal (the run stopped, no reports) through this one.
#ifndef TUNEDECK_REFUSINGTONALYTE_H
#define TUNEDECK_REFUSINGTONALYTE_H

#include "core/tonalyte/tonalyteengine.h"

class RefusingTonalyte final : public tunedeck::TonalyteEngine {
public:
    // note -1 refuses nothing.
    explicit RefusingTonalyte(tunedeck::TonalyteEngine &engine, int note = -1) : engine_(engine), note_(note) {}
    void refuse(int note) { note_ = note; }

    std::int32_t KeyGetDllVersion() override { return engine_.KeyGetDllVersion(); }
    std::int32_t KeyClearEvs() override { return engine_.KeyClearEvs(); }
    std::int32_t KeyStartTimer() override { return engine_.KeyStartTimer(); }
    std::int32_t KeyStopTimer() override { return engine_.KeyStopTimer(); }
    std::int32_t KeyGetTimeTCnt() override { return engine_.KeyGetTimeTCnt(); }
    float KeyGetSsMinCur() override { return engine_.KeyGetSsMinCur(); }
    std::int32_t KeyGetInpTCnt() override { return engine_.KeyGetInpTCnt(); }
    std::int32_t KeyGetTapCnt() override { return engine_.KeyGetTapCnt(); }
    std::int32_t KeyGetKeyType() override { return engine_.KeyGetKeyType(); }
    std::int32_t KeyGetHaCode() override { return engine_.KeyGetHaCode(); }
    std::int32_t KeyGetKStatic(std::int32_t *keys, std::int32_t *counts) override
    {
        return engine_.KeyGetKStatic(keys, counts);
    }
    std::int32_t KeySetTrkEvsF(std::int32_t plTime, std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel) override
    {
        return EvCao == note_ ? -1 : engine_.KeySetTrkEvsF(plTime, EvCod, EvCao, EvVel);
    }
    std::int32_t KeySetTrkEvsR(std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel, std::int32_t *out1,
                               std::int32_t *out2) override
    {
        return EvCao == note_ ? -1 : engine_.KeySetTrkEvsR(EvCod, EvCao, EvVel, out1, out2);
    }
    std::int32_t KeyGetKTiming(std::int32_t *keys, std::int32_t *times) override
    {
        return engine_.KeyGetKTiming(keys, times);
    }
    std::int32_t KeySetDetectMode(std::int32_t flag) override { return engine_.KeySetDetectMode(flag); }
    std::int32_t KeySetSensitive(std::int32_t flag) override { return engine_.KeySetSensitive(flag); }
    std::int32_t KeySetTestOn(std::int32_t flag) override { return engine_.KeySetTestOn(flag); }

private:
    tunedeck::TonalyteEngine &engine_;
    int note_;
};

#endif
