// The port lists the window offers, kept current: the port systems are asked every second
// (neither ALSA nor JACK tells RtMidi when ports come and go) and a change is signalled.
#ifndef TUNEDECK_PORTWATCHER_H
#define TUNEDECK_PORTWATCHER_H

#include "ports/portsystem.h"

#include <QObject>
#include <QTimer>

#include <chrono>

namespace tunedeck {

class PortWatcher : public QObject {
    Q_OBJECT
public:
    // Lists once at once, then every interval while the owner's event loop runs.
    explicit PortWatcher(std::chrono::milliseconds interval = std::chrono::seconds(1), QObject *parent = nullptr);

    const PortListing &inputs() const { return inputs_; }
    const PortListing &outputs() const { return outputs_; }

    // Asks now; portsChanged when a list or a reason differs from the last answer.
    void refresh();

signals:
    void portsChanged();

private:
    QTimer timer_;
    PortListing inputs_;
    PortListing outputs_;
};

} // namespace tunedeck

#endif
