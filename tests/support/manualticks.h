// The linked engine's 1 ms tick source, ticking only when the test says so: the library's
// time moves by advance() alone. Without Qt, for the core's tests.
#ifndef TUNEDECK_MANUALTICKS_H
#define TUNEDECK_MANUALTICKS_H

#include "tonalyte/ticksource.h"

#include <cstdint>

class ManualTicks : public tonalyte::TickSource {
public:
    std::uint32_t capabilities(std::uint32_t &periodMin, std::uint32_t &periodMax) override
    {
        periodMin = periodMax = 1;
        return 0;
    }
    std::uint32_t beginPeriod(std::uint32_t) override { return 0; }
    std::uint32_t endPeriod(std::uint32_t) override { return 0; }
    std::uint32_t startPeriodic(std::uint32_t, std::uint32_t, Callback callback, void *context) override
    {
        tick_ = callback;
        context_ = context;
        return 1;
    }
    std::uint32_t killPeriodic(std::uint32_t) override
    {
        tick_ = nullptr;
        return 0;
    }
    void advance(std::int64_t ms)
    {
        for (std::int64_t i = 0; i < ms && tick_; ++i)
            tick_(context_);
    }

private:
    Callback tick_ = nullptr;
    void *context_ = nullptr;
};

#endif
