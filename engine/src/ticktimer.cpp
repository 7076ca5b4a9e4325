#include "ticktimer.h"

#include "enginestate.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#if defined(_WIN32)
#  include <windows.h>
#  include <mmsystem.h>
#else
#  include <ctime>
#endif

namespace tonalyte {

std::atomic<uint32_t> timerTCnt{0};

namespace {

constexpr uint32_t TimerDelay = 1;

uint32_t timerPeriod = 0;
uint32_t timerId = 0;
bool running = false;
TickSource *customSource = nullptr;

TickSource &source() { return customSource ? *customSource : platformTickSource(); }

#if defined(_WIN32)

void CALLBACK multimediaCallback(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) { timerTick(); }

class MultimediaTickSource : public TickSource {
public:
    uint32_t capabilities(uint32_t &periodMin, uint32_t &periodMax) override
    {
        TIMECAPS caps{};
        const MMRESULT r = timeGetDevCaps(&caps, sizeof caps);
        periodMin = caps.wPeriodMin;
        periodMax = caps.wPeriodMax;
        return r;
    }
    uint32_t beginPeriod(uint32_t period) override { return timeBeginPeriod(period); }
    uint32_t endPeriod(uint32_t period) override { return timeEndPeriod(period); }
    uint32_t startPeriodic(uint32_t delay, uint32_t period, Callback) override
    {
        return timeSetEvent(delay, period, multimediaCallback, 0, TIME_PERIODIC);
    }
    uint32_t killPeriodic(uint32_t id) override { return timeKillEvent(id); }
};

#else

// A dedicated thread that ticks against absolute deadlines of the steady clock: a late
// wake-up catches up on the ticks it missed, so the count follows elapsed time.
class ThreadTickSource : public TickSource {
public:
    ~ThreadTickSource() override { stopThread(); }

    uint32_t capabilities(uint32_t &periodMin, uint32_t &periodMax) override
    {
        timespec res{};
        if (clock_getres(CLOCK_MONOTONIC, &res) != 0)
            return 1;
        const int64_t ns = int64_t(res.tv_sec) * 1000000000 + res.tv_nsec;
        periodMin = static_cast<uint32_t>(std::max<int64_t>(1, (ns + 999999) / 1000000));
        periodMax = 1000000;
        return 0;
    }
    uint32_t beginPeriod(uint32_t) override { return 0; }
    uint32_t endPeriod(uint32_t) override { return 0; }

    uint32_t startPeriodic(uint32_t, uint32_t period, Callback callback) override
    {
        stopThread();
        std::lock_guard lock(mutex_);
        stop_ = false;
        try {
            thread_ = std::thread([this, period, callback] { run(period, callback); });
        } catch (...) {
            return 0;
        }
        return ++lastId_ == 0 ? ++lastId_ : lastId_;
    }

    uint32_t killPeriodic(uint32_t id) override
    {
        if (id == 0 || id != lastId_ || !thread_.joinable())
            return 1;
        stopThread();
        return 0;
    }

private:
    void run(uint32_t period, Callback callback)
    {
        using clock = std::chrono::steady_clock;
        const auto step = std::chrono::milliseconds(period);
        auto deadline = clock::now() + step;
        std::unique_lock lock(mutex_);
        while (!stop_) {
            if (wake_.wait_until(lock, deadline, [this] { return stop_; }))
                break;
            const auto now = clock::now();
            while (deadline <= now) {
                callback();
                deadline += step;
            }
        }
    }

    void stopThread()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
            thread_.join();
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    bool stop_ = false;
    uint32_t lastId_ = 0;
};

#endif

// Built when the library loads, so it outlives stopAtUnload below.
#if defined(_WIN32)
MultimediaTickSource platformSource;
#else
ThreadTickSource platformSource;
#endif

} // namespace

TickSource &platformTickSource() { return platformSource; }

void setTickSource(TickSource *s)
{
    if (running)
        stopTimer();
    customSource = s;
}

void timerTick()
{
    uint32_t v = timerTCnt.load(std::memory_order_relaxed);
    while (v < MaxTCnt && !timerTCnt.compare_exchange_weak(v, v + 1, std::memory_order_relaxed)) {
    }
}

int32_t startTimer()
{
    // A second start would leave the first periodic event running with nothing to stop it.
    if (running)
        stopTimer();
    TickSource &s = source();
    uint32_t periodMin = 0, periodMax = 0;
    if (s.capabilities(periodMin, periodMax) != 0)
        timerPeriod = 0;
    else
        timerPeriod = std::min(periodMax, std::max<uint32_t>(periodMin, 1));
    if (timerPeriod != 1)
        return 0;
    if (s.beginPeriod(timerPeriod) != 0)
        return 0;
    timerId = s.startPeriodic(TimerDelay, timerPeriod, timerTick);
    if (timerId == 0) {
        s.endPeriod(timerPeriod);
        return 0;
    }
    running = true;
    return 1;
}

int32_t stopTimer()
{
    TickSource &s = source();
    s.killPeriodic(timerId);
    s.endPeriod(timerPeriod);
    running = false;
    return 1;
}

void clearTimerCount() { timerTCnt.store(0, std::memory_order_relaxed); }

bool timerRunning() { return running; }

namespace {
// Unloading the library must not leave a tick thread (or event) behind.
struct StopAtUnload {
    ~StopAtUnload()
    {
        if (running)
            stopTimer();
    }
} stopAtUnload;
} // namespace

} // namespace tonalyte
