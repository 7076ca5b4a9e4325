// The 1 ms tick counter that stamps real-time events.
#ifndef TONALYTE_TICKTIMER_H
#define TONALYTE_TICKTIMER_H

#include "tonalyte/ticksource.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace tonalyte {

// The platform's own source, one per timer: the multimedia timer on Windows, a
// steady-clock thread elsewhere.
std::unique_ptr<TickSource> makePlatformTickSource();

// One engine's clock: TimerTCnt, which counts up to MaxTCnt and stays there, moved only by
// the tick of the periodic event this timer started.
class TickTimer {
public:
    TickTimer();
    ~TickTimer();
    TickTimer(const TickTimer &) = delete;
    TickTimer &operator=(const TickTimer &) = delete;

    // Replaces the tick source (tests and the page drive their own); nullptr restores the
    // platform's. A running timer is stopped first.
    void setSource(TickSource *source);

    int32_t start();
    int32_t stop();
    bool running() const { return running_; }

    // One count, never past MaxTCnt, never losing a concurrent reset.
    void tick();
    void clearCount() { count_.store(0, std::memory_order_relaxed); }
    uint32_t count() const { return count_.load(std::memory_order_relaxed); }
    // Tests put the count anywhere.
    void setCount(uint32_t value) { count_.store(value, std::memory_order_relaxed); }

private:
    TickSource &source();

    std::atomic<uint32_t> count_{0};
    std::unique_ptr<TickSource> platform_;
    TickSource *custom_ = nullptr;
    uint32_t period_ = 0;
    uint32_t id_ = 0;
    bool running_ = false;
};

} // namespace tonalyte

#endif
