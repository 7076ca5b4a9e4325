// One engine with its own clock and test log. The library's exports work on the one of the
// process; a program that links the engine in may hold as many as it has callers.
#ifndef TONALYTE_INSTANCE_H
#define TONALYTE_INSTANCE_H

#include "enginestate.h"
#include "ticktimer.h"

#include <cstdint>
#include <string>

namespace tonalyte {

class Instance {
public:
    Instance() : engine_(loadedEngine()) {}
    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;

    // The 17 calls, as the exports of the same names answer them.
    int32_t clearEvs();
    int32_t startTimer() { return timer_.start(); }
    int32_t stopTimer() { return timer_.stop(); }
    int32_t timeTCnt() const { return static_cast<int32_t>(timer_.count()); }
    float ssMinCur() const;
    int32_t inpTCnt() const;
    int32_t tapCnt() const { return engine_.tapCnt; }
    int32_t keyType() const { return engine_.keyType; }
    int32_t haCode() const { return engine_.haCode; }
    int32_t kStatic(int32_t *keys, int32_t *counts) const;
    int32_t setTrkEvsF(int32_t plTime, int32_t evCod, int32_t evCao, int32_t evVel);
    int32_t setTrkEvsR(int32_t evCod, int32_t evCao, int32_t evVel, int32_t *out1, int32_t *out2);
    int32_t kTiming(int32_t *keys, int32_t *times) const;
    int32_t setDetectMode(int32_t flag);
    int32_t setSensitive(int32_t flag);
    int32_t setTestOn(int32_t flag);

    TickTimer &timer() { return timer_; }
    // This engine's own test log; empty restores the platform's KeyTest.txt.
    void setTestLogPath(std::string path);

private:
    Engine engine_;
    TickTimer timer_;
    std::string testLog_;
};

// The engine of the process, behind the library's exports.
Instance &processInstance();

} // namespace tonalyte

#endif
