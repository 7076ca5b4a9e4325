// The engine linked in, its 1 ms tick source replaced by a test clock: the library's time
// (KeyGetTimeTCnt) moves only with clock.advance(), one tick at each millisecond before the
// clock's timers. Link tunedeck_linkedengine and tonalyte_core.
#ifndef TUNEDECK_CLOCKEDTONALYTE_H
#define TUNEDECK_CLOCKEDTONALYTE_H

#include "core/tonalyte/linkedtonalyte.h"
#include "testclock.h"
#include "tonalyte/ticksource.h"

class ClockedTonalyte : private tonalyte::TickSource {
public:
    explicit ClockedTonalyte(TestClock &clock) : clock_(clock)
    {
        library.setTickSource(this);
        clock_.setTick([this] {
            if (tick_)
                tick_(context_);
        });
    }
    ~ClockedTonalyte() override
    {
        library.setTickSource(nullptr);
        clock_.setTick({});
    }
    ClockedTonalyte(const ClockedTonalyte &) = delete;
    ClockedTonalyte &operator=(const ClockedTonalyte &) = delete;

    tunedeck::LinkedTonalyte library;

private:
    uint32_t capabilities(uint32_t &periodMin, uint32_t &periodMax) override
    {
        periodMin = periodMax = 1;
        return 0;
    }
    uint32_t beginPeriod(uint32_t) override { return 0; }
    uint32_t endPeriod(uint32_t) override { return 0; }
    uint32_t startPeriodic(uint32_t, uint32_t, Callback callback, void *context) override
    {
        tick_ = callback;
        context_ = context;
        return ++id_;
    }
    uint32_t killPeriodic(uint32_t) override
    {
        tick_ = nullptr;
        return 0;
    }

    TestClock &clock_;
    Callback tick_ = nullptr;
    void *context_ = nullptr;
    uint32_t id_ = 0;
};

#endif
