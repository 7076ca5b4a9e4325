#include "pageclock.h"

namespace tunedeck::web {

std::uint32_t PageClock::capabilities(std::uint32_t &periodMin, std::uint32_t &periodMax)
{
    periodMin = periodMax = 1;
    return 0;
}

std::uint32_t PageClock::startPeriodic(std::uint32_t, std::uint32_t, Callback callback, void *context)
{
    tick_ = callback;
    context_ = context;
    now_ = 0;
    return ++id_ == 0 ? ++id_ : id_;
}

std::uint32_t PageClock::killPeriodic(std::uint32_t id)
{
    if (id == 0 || id != id_ || !tick_)
        return 1;
    tick_ = nullptr;
    return 0;
}

void PageClock::advanceTo(std::int64_t ms)
{
    // One tick a millisecond, as the library's own timer counts: a play's hour is 3.6 M calls.
    for (; tick_ && now_ < ms; ++now_)
        tick_(context_);
    if (now_ < ms)
        now_ = ms;
}

PageClock &pageClock()
{
    static PageClock clock;
    return clock;
}

} // namespace tunedeck::web
