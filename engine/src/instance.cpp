#include "tonalyte/instance.h"

#include "enginestate.h"
#include "eventintake.h"
#include "processinstance.h"
#include "statistics.h"
#include "ticktimer.h"

#include <utility>

namespace tonalyte {

Instance::Instance() : engine_(std::make_unique<Engine>(loadedEngine())), timer_(std::make_unique<TickTimer>()) {}
Instance::~Instance() = default;

int32_t Instance::startTimer() { return timer_->start(); }
int32_t Instance::stopTimer() { return timer_->stop(); }
int32_t Instance::timeTCnt() const { return static_cast<int32_t>(timer_->count()); }
int32_t Instance::tapCnt() const { return engine_->tapCnt; }
int32_t Instance::keyType() const { return engine_->keyType; }
int32_t Instance::haCode() const { return engine_->haCode; }

void Instance::setTickSource(TickSource *source) { timer_->setSource(source); }

int32_t Instance::clearEvs()
{
    clearEngine(*engine_);
    timer_->clearCount();
    return 0;
}

float Instance::ssMinCur() const { return readFitRatio(*engine_); }

int32_t Instance::inpTCnt() const { return countInpTCnt(*engine_); }

int32_t Instance::kStatic(int32_t *keys, int32_t *counts) const
{
    return readKeyStatistics(*engine_, keys, counts);
}

int32_t Instance::setTrkEvsF(int32_t plTime, int32_t evCod, int32_t evCao, int32_t evVel)
{
    return feedAtTime(*engine_, plTime, evCod, evCao, evVel);
}

int32_t Instance::setTrkEvsR(int32_t evCod, int32_t evCao, int32_t evVel, int32_t *out1, int32_t *out2)
{
    engine_->timeTCnt = timeTCnt();
    const int32_t result = feedEvent(*engine_, evCod, evCao, evVel);
    // The pair in force goes out on every call, a rejected event included.
    if (out1)
        *out1 = engine_->outDetail1;
    if (out2)
        *out2 = engine_->outDetail2;
    return result;
}

int32_t Instance::kTiming(int32_t *keys, int32_t *times) const
{
    return readKeyTimeline(*engine_, keys, times);
}

int32_t Instance::setDetectMode(int32_t flag)
{
    engine_->detectMode = flag != 0;
    return 1;
}

int32_t Instance::setSensitive(int32_t flag)
{
    tonalyte::setSensitive(*engine_, flag != 0);
    return 1;
}

int32_t Instance::setTestOn(int32_t flag)
{
    engine_->testOn = flag != 0;
    return 1;
}

void Instance::setTestLogPath(std::string path)
{
    testLog_ = std::move(path);
    engine_->testLog = testLog_.empty() ? nullptr : &testLog_;
}

Instance &processInstance()
{
    // Built when the library loads and ended when it unloads, its timer with it.
    static Instance instance;
    return instance;
}

} // namespace tonalyte
