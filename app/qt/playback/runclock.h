// The clocks a run keeps: the runner's timers, the pace of a play, the time of listening.
// The program runs on the real ones (QTimer, the steady clock, a play on a thread of its
// own); a test drives a clock of its own, so that time moves only when it says and all
// that falls due happens in order on its thread.
#ifndef TUNEDECK_QT_PLAYBACK_RUNCLOCK_H
#define TUNEDECK_QT_PLAYBACK_RUNCLOCK_H

#include <QObject>
#include <QString>

#include <cstdint>

namespace tunedeck {

// A timer on a RunClock: the part of QTimer a run uses.
class RunTimer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void setSingleShot(bool singleShot) = 0;
    // Starts, or starts again: the next timeout comes one interval from now.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

signals:
    void timeout();
};

class RunClock {
public:
    virtual ~RunClock() = default;

    // Milliseconds from an origin of the clock's own; never goes back.
    virtual std::int64_t now() const = 0;
    // A repeating timer of intervalMs on this clock, named name, owned by parent.
    virtual RunTimer *timer(const QString &name, int intervalMs, QObject *parent) = 0;
    // True for the wall clock, which a play keeps on a thread of its own; false for a clock
    // whose timers pace a play on the thread that owns its output.
    virtual bool isReal() const = 0;
};

// The real clock: QTimer and the steady clock.
RunClock &systemClock();

} // namespace tunedeck

#endif
