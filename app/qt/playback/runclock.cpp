#include "qt/playback/runclock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace tunedeck {

namespace {

class SystemTimer final : public RunTimer {
public:
    explicit SystemTimer(QObject *parent) : RunTimer(parent), timer_(this)
    {
        connect(&timer_, &QTimer::timeout, this, &RunTimer::timeout);
    }
    void setInterval(int ms) override { timer_.setInterval(ms); }
    int interval() const override { return timer_.interval(); }
    void setSingleShot(bool singleShot) override { timer_.setSingleShot(singleShot); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class SystemClock final : public RunClock {
public:
    SystemClock() { elapsed_.start(); }
    std::int64_t now() const override { return elapsed_.elapsed(); }
    RunTimer *timer(const QString &name, int intervalMs, QObject *parent) override
    {
        auto *t = new SystemTimer(parent);
        t->setObjectName(name);
        t->setInterval(intervalMs);
        return t;
    }
    bool isReal() const override { return true; }

private:
    QElapsedTimer elapsed_;
};

} // namespace

RunClock &systemClock()
{
    static SystemClock clock;
    return clock;
}

} // namespace tunedeck
