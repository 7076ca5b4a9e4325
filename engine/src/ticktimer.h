// The 1 ms tick counter that stamps real-time events.
#ifndef TONALYTE_TICKTIMER_H
#define TONALYTE_TICKTIMER_H

#include <atomic>
#include <cstdint>

namespace tonalyte {

// A periodic timer service shaped like the Windows multimedia timer, so the start and
// stop sequences read the same on every platform. Results follow that service:
// 0 means success for capabilities() and the period calls; startPeriodic returns an
// event identifier, 0 on failure.
class TickSource {
public:
    using Callback = void (*)();
    virtual ~TickSource() = default;
    virtual uint32_t capabilities(uint32_t &periodMin, uint32_t &periodMax) = 0;
    virtual uint32_t beginPeriod(uint32_t period) = 0;
    virtual uint32_t endPeriod(uint32_t period) = 0;
    virtual uint32_t startPeriodic(uint32_t delay, uint32_t period, Callback callback) = 0;
    virtual uint32_t killPeriodic(uint32_t id) = 0;
};

// The platform's own source: the multimedia timer on Windows, a steady-clock thread elsewhere.
TickSource &platformTickSource();

// Replaces the tick source (tests simulate other platforms); nullptr restores the platform's.
void setTickSource(TickSource *source);

// TimerTCnt: counts up to MaxTCnt and stays there. Only the tick callback increments it.
extern std::atomic<uint32_t> timerTCnt;

// The tick callback: one count, never past MaxTCnt, never losing a concurrent reset.
void timerTick();

int32_t startTimer();
int32_t stopTimer();
void clearTimerCount();
bool timerRunning();

} // namespace tonalyte

#endif
