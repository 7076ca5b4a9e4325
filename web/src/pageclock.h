// Tonalyte's 1 ms clock in a page: a build without threads cannot start the library's own
// timer thread, so the page moves the clock on from its audio clock (or a test's).
#ifndef TUNEDECK_WEB_PAGECLOCK_H
#define TUNEDECK_WEB_PAGECLOCK_H

#include "tonalyte/ticksource.h"

#include <cstdint>

namespace tunedeck::web {

class PageClock final : public tonalyte::TickSource {
public:
    std::uint32_t capabilities(std::uint32_t &periodMin, std::uint32_t &periodMax) override;
    std::uint32_t beginPeriod(std::uint32_t) override { return 0; }
    std::uint32_t endPeriod(std::uint32_t) override { return 0; }
    std::uint32_t startPeriodic(std::uint32_t, std::uint32_t, Callback callback, void *context) override;
    std::uint32_t killPeriodic(std::uint32_t id) override;

    // The library's clock moved on to ms since it was last started; earlier times do nothing.
    void advanceTo(std::int64_t ms);

private:
    Callback tick_ = nullptr;
    void *context_ = nullptr;
    std::uint32_t id_ = 0;
    std::int64_t now_ = 0;
};

// The one clock of the page's one engine, installed before any call reaches it.
PageClock &pageClock();

} // namespace tunedeck::web

#endif
