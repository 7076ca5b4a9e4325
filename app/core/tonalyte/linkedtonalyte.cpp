#include "core/tonalyte/linkedtonalyte.h"

#include "tonalyte/instance.h"
#include "tonalyte.h"

namespace tunedeck {

LinkedTonalyte::LinkedTonalyte() : engine_(std::make_unique<tonalyte::Instance>()) {}
LinkedTonalyte::~LinkedTonalyte() = default;

void LinkedTonalyte::setTickSource(tonalyte::TickSource *source) { engine_->setTickSource(source); }
void LinkedTonalyte::setTestLogPath(std::string path) { engine_->setTestLogPath(std::move(path)); }

std::int32_t LinkedTonalyte::KeyGetDllVersion() { return TONALYTE_VERSION; }
std::int32_t LinkedTonalyte::KeyClearEvs() { return engine_->clearEvs(); }
std::int32_t LinkedTonalyte::KeyStartTimer() { return engine_->startTimer(); }
std::int32_t LinkedTonalyte::KeyStopTimer() { return engine_->stopTimer(); }
std::int32_t LinkedTonalyte::KeyGetTimeTCnt() { return engine_->timeTCnt(); }
float LinkedTonalyte::KeyGetSsMinCur() { return engine_->ssMinCur(); }
std::int32_t LinkedTonalyte::KeyGetInpTCnt() { return engine_->inpTCnt(); }
std::int32_t LinkedTonalyte::KeyGetTapCnt() { return engine_->tapCnt(); }
std::int32_t LinkedTonalyte::KeyGetKeyType() { return engine_->keyType(); }
std::int32_t LinkedTonalyte::KeyGetHaCode() { return engine_->haCode(); }

std::int32_t LinkedTonalyte::KeyGetKStatic(std::int32_t *keys, std::int32_t *counts)
{
    return engine_->kStatic(keys, counts);
}

std::int32_t LinkedTonalyte::KeySetTrkEvsF(std::int32_t plTime, std::int32_t EvCod, std::int32_t EvCao,
                                           std::int32_t EvVel)
{
    return engine_->setTrkEvsF(plTime, EvCod, EvCao, EvVel);
}

std::int32_t LinkedTonalyte::KeySetTrkEvsR(std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel,
                                           std::int32_t *out1, std::int32_t *out2)
{
    return engine_->setTrkEvsR(EvCod, EvCao, EvVel, out1, out2);
}

std::int32_t LinkedTonalyte::KeyGetKTiming(std::int32_t *keys, std::int32_t *times)
{
    return engine_->kTiming(keys, times);
}

std::int32_t LinkedTonalyte::KeySetDetectMode(std::int32_t flag) { return engine_->setDetectMode(flag); }
std::int32_t LinkedTonalyte::KeySetSensitive(std::int32_t flag) { return engine_->setSensitive(flag); }
std::int32_t LinkedTonalyte::KeySetTestOn(std::int32_t flag) { return engine_->setTestOn(flag); }

} // namespace tunedeck
