// The source of an engine's 1 ms ticks. A program that links engines in (tests, the page)
// may give an engine a source it drives itself.
#ifndef TONALYTE_TICKSOURCE_H
#define TONALYTE_TICKSOURCE_H

#include <cstdint>

namespace tonalyte {

// A periodic timer service shaped like the Windows multimedia timer, so the start and
// stop sequences read the same on every platform. Results follow that service:
// 0 means success for capabilities() and the period calls; startPeriodic returns an
// event identifier, 0 on failure. The callback is called with the context it was given.
class TickSource {
public:
    using Callback = void (*)(void *context);
    virtual ~TickSource() = default;
    virtual uint32_t capabilities(uint32_t &periodMin, uint32_t &periodMax) = 0;
    virtual uint32_t beginPeriod(uint32_t period) = 0;
    virtual uint32_t endPeriod(uint32_t period) = 0;
    virtual uint32_t startPeriodic(uint32_t delay, uint32_t period, Callback callback, void *context) = 0;
    virtual uint32_t killPeriodic(uint32_t id) = 0;
};

} // namespace tonalyte

#endif
