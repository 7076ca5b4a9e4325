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

namespace {

constexpr uint32_t TimerDelay = 1;

#if defined(_WIN32)

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
    uint32_t startPeriodic(uint32_t delay, uint32_t period, Callback callback, void *context) override
    {
        callback_ = callback;
        context_ = context;
        return timeSetEvent(delay, period, multimediaCallback, reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC);
    }
    uint32_t killPeriodic(uint32_t id) override { return timeKillEvent(id); }

private:
    static void CALLBACK multimediaCallback(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR)
    {
        auto *source = reinterpret_cast<MultimediaTickSource *>(self);
        source->callback_(source->context_);
    }

    Callback callback_ = nullptr;
    void *context_ = nullptr;
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

    uint32_t startPeriodic(uint32_t, uint32_t period, Callback callback, void *context) override
    {
        stopThread();
        std::lock_guard lock(mutex_);
        stop_ = false;
        try {
            thread_ = std::thread([this, period, callback, context] { run(period, callback, context); });
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
    void run(uint32_t period, Callback callback, void *context)
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
                callback(context);
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

} // namespace

std::unique_ptr<TickSource> makePlatformTickSource()
{
#if defined(_WIN32)
    return std::make_unique<MultimediaTickSource>();
#else
    return std::make_unique<ThreadTickSource>();
#endif
}

TickTimer::TickTimer() : platform_(makePlatformTickSource()) {}

// Ending an engine (or unloading the library) must not leave a tick thread or event behind.
TickTimer::~TickTimer()
{
    if (running_)
        stop();
}

TickSource &TickTimer::source() { return custom_ ? *custom_ : *platform_; }

void TickTimer::setSource(TickSource *s)
{
    if (running_)
        stop();
    custom_ = s;
}

void TickTimer::tick()
{
    uint32_t v = count_.load(std::memory_order_relaxed);
    while (v < MaxTCnt && !count_.compare_exchange_weak(v, v + 1, std::memory_order_relaxed)) {
    }
}

int32_t TickTimer::start()
{
    // A second start would leave the first periodic event running with nothing to stop it.
    if (running_)
        stop();
    TickSource &s = source();
    uint32_t periodMin = 0, periodMax = 0;
    if (s.capabilities(periodMin, periodMax) != 0)
        period_ = 0;
    else
        period_ = std::min(periodMax, std::max<uint32_t>(periodMin, 1));
    if (period_ != 1)
        return 0;
    if (s.beginPeriod(period_) != 0)
        return 0;
    id_ = s.startPeriodic(TimerDelay, period_, [](void *self) { static_cast<TickTimer *>(self)->tick(); }, this);
    if (id_ == 0) {
        s.endPeriod(period_);
        return 0;
    }
    running_ = true;
    return 1;
}

int32_t TickTimer::stop()
{
    TickSource &s = source();
    s.killPeriodic(id_);
    s.endPeriod(period_);
    running_ = false;
    return 1;
}

} // namespace tonalyte
