// The port lists the window offers, kept current: the port systems are asked every second
// (neither ALSA nor JACK tells RtMidi when ports come and go) and a change is signalled.
#ifndef TUNEDECK_QT_PORTS_PORTWATCHER_H
#define TUNEDECK_QT_PORTS_PORTWATCHER_H

#include "qt/ports/portsystem.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <thread>

namespace tunedeck {

class PortWatcher : public QObject {
    Q_OBJECT
public:
    // Lists once at once, then every interval while the owner's event loop runs, on a
    // thread of its own: asking a JACK server that is not there takes milliseconds, which
    // the owner's thread may need for the notes it feeds.
    explicit PortWatcher(std::chrono::milliseconds interval = std::chrono::seconds(1), QObject *parent = nullptr);
    ~PortWatcher() override;

    const PortListing &inputs() const { return inputs_; }
    const PortListing &outputs() const { return outputs_; }

    // Asks now, on the caller's thread; portsChanged when a list or a reason differs from
    // the last answer.
    void refresh();

signals:
    void portsChanged();

private:
    void listInBackground();
    void take(PortListing inputs, PortListing outputs);

    QTimer timer_;
    PortListing inputs_;
    PortListing outputs_;
    std::thread lister_;
    bool listing_ = false;         // a background listing is on its way
    std::uint64_t generation_ = 0; // moved on by every answer taken
};

} // namespace tunedeck

#endif
