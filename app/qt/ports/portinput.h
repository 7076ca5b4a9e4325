// Live input: a MIDI port of the machine (a keyboard, another program) played into the key
// display. Its note events arrive as typed events on the thread that owns the object, in
// arrival order; the library's own 1 ms timer times them, so arrival is what counts.
#ifndef TUNEDECK_QT_PORTS_PORTINPUT_H
#define TUNEDECK_QT_PORTS_PORTINPUT_H

#include "core/midi/noteevents.h"
#include "qt/ports/portsystem.h"

#include <QObject>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

class RtMidiIn;

namespace tunedeck::ports {
class RtErrors;
}

namespace tunedeck {

class MidiSink;

class PortInput : public QObject {
    Q_OBJECT
public:
    explicit PortInput(QObject *parent = nullptr);
    ~PortInput() override;

    // Stops any earlier listening and listens to port. False, with errorString() saying
    // why, when it cannot.
    bool start(const MidiPort &port);
    // Harmless when idle. No note of this listening is delivered after it returns.
    void stop();
    bool isListening() const { return bool(in_); }
    const MidiPort &port() const { return port_; }
    QString errorString() const { return error_; }

    // True (the default) leaves channel 10, the drums, out, as "All" does for files.
    // Channel 16 is never delivered, as for files. Takes effect at the next message.
    void setSkipDrums(bool skip);
    bool skipDrums() const;

    // Every channel message received, drums included, is also sent to sink (so the player
    // hears the keyboard through the synthesizer); null sends nowhere. The sink is called
    // on the port system's thread.
    void setThru(std::shared_ptr<MidiSink> sink);

    // For the port list's refresh: stops with error() when the port is no longer among
    // inputs.
    void checkStillListed(const std::vector<MidiPort> &inputs);

signals:
    // A note-on (velocity 1..127) or a note-off (velocity 0, also for a note-on of velocity
    // 0). tick and track are 0.
    void noteReceived(const tunedeck::NoteEvent &event);
    // Listening failed or its port went away; it has stopped.
    void error(const QString &message);

private:
    struct Shared; // what the port system's thread and ours both touch
    static void received(double, std::vector<unsigned char> *message, void *shared);
    void deliver(quint64 generation);
    void fail(const QString &message);

    MidiPort port_;
    QString error_;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<ports::RtErrors> errors_;
    std::unique_ptr<RtMidiIn> in_;
    std::uint64_t epoch_ = 0;
};

} // namespace tunedeck

#endif
