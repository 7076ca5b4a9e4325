// A clock the test drives: the runner's timers, a play's pace and listening's time move only
// when the test calls advance(), and all that falls due then happens in order on the test's
// thread. ClockedTonalyte (clockedtonalyte.h) puts the linked engine's 1 ms ticks on it too.
#ifndef TUNEDECK_TESTCLOCK_H
#define TUNEDECK_TESTCLOCK_H

#include "qt/playback/runclock.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <tuple>
#include <vector>

class TestClock final : public tunedeck::RunClock {
public:
    TestClock() = default;
    TestClock(const TestClock &) = delete;
    TestClock &operator=(const TestClock &) = delete;
    ~TestClock() override
    {
        for (Timer *t : timers_)
            t->clock_ = nullptr;
    }

    std::int64_t now() const override { return now_; }
    tunedeck::RunTimer *timer(const QString &name, int intervalMs, QObject *parent) override
    {
        auto *t = new Timer(this, parent);
        t->setObjectName(name);
        t->setInterval(intervalMs);
        return t;
    }
    bool isReal() const override { return false; }

    // What happens first at every millisecond: the engine's tick.
    void setTick(std::function<void()> tick) { tick_ = std::move(tick); }

    // Moves time on by ms. What is due now goes first; then at each millisecond the tick,
    // then every timer due, earliest first, and of two due at once the one started first.
    void advance(std::int64_t ms)
    {
        fireDue();
        for (const std::int64_t end = now_ + ms; now_ < end;) {
            ++now_;
            if (tick_)
                tick_();
            fireDue();
        }
    }

private:
    class Timer final : public tunedeck::RunTimer {
    public:
        Timer(TestClock *clock, QObject *parent) : RunTimer(parent), clock_(clock) { clock_->timers_.push_back(this); }
        ~Timer() override
        {
            if (clock_)
                std::erase(clock_->timers_, this);
        }
        void setInterval(int ms) override { interval_ = ms; }
        int interval() const override { return interval_; }
        void setSingleShot(bool singleShot) override { singleShot_ = singleShot; }
        void start() override
        {
            if (!clock_)
                return;
            active_ = true;
            due_ = clock_->now_ + interval_;
            order_ = ++clock_->started_;
        }
        void stop() override { active_ = false; }
        bool isActive() const override { return active_; }

        bool dueBefore(const Timer &other) const
        {
            return std::tie(due_, order_) < std::tie(other.due_, other.order_);
        }
        void fire()
        {
            if (singleShot_) {
                active_ = false;
            } else {
                due_ += std::max(interval_, 1); // once a millisecond at most
                order_ = ++clock_->started_;
            }
            emit timeout(); // may delete this timer
        }

        TestClock *clock_;
        int interval_ = 0;
        bool singleShot_ = false;
        bool active_ = false;
        std::int64_t due_ = 0;
        std::uint64_t order_ = 0;
    };

    void fireDue()
    {
        for (;;) {
            Timer *next = nullptr;
            for (Timer *t : timers_)
                if (t->active_ && t->due_ <= now_ && (!next || t->dueBefore(*next)))
                    next = t;
            if (!next)
                return;
            next->fire();
        }
    }

    std::int64_t now_ = 0;
    std::uint64_t started_ = 0; // counts the timers' starts, to order those due at once
    std::vector<Timer *> timers_;
    std::function<void()> tick_;
};

#endif
