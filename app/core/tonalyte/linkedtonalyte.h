// The engine linked into this program: the same code as the library, without loading it.
// Each LinkedTonalyte is an engine of its own, with its own clock and test log, so callers in
// one process (threads of the Python module, tests) run side by side; the library loaded by
// name keeps its one engine per process.
#ifndef TUNEDECK_CORE_TONALYTE_LINKEDTONALYTE_H
#define TUNEDECK_CORE_TONALYTE_LINKEDTONALYTE_H

#include "core/tonalyte/tonalyteengine.h"

#include <memory>
#include <string>

namespace tonalyte {
class Instance;
class TickSource;
} // namespace tonalyte

namespace tunedeck {

class LinkedTonalyte final : public TonalyteEngine {
public:
    LinkedTonalyte();
    ~LinkedTonalyte() override;
    LinkedTonalyte(const LinkedTonalyte &) = delete;
    LinkedTonalyte &operator=(const LinkedTonalyte &) = delete;

    // This engine's 1 ms tick source (a test's or the page's clock); nullptr: the platform's.
    void setTickSource(tonalyte::TickSource *source);
    // Where KeySetTestOn's log goes for this engine; empty: the platform's KeyTest.txt.
    void setTestLogPath(std::string path);

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

private:
    std::unique_ptr<tonalyte::Instance> engine_;
};

} // namespace tunedeck

#endif
