#include "qt/ports/portinput.h"

#include "core/playback/midisink.h"
#include "qt/ports/rtmidiports.h"

#include <QMetaObject>

#include <algorithm>
#include <atomic>

namespace tunedeck {

struct PortInput::Shared {
    PortInput *owner = nullptr;
    std::atomic<bool> skipDrums{true};
    std::atomic<quint64> generation{0}; // moved on by every start and stop

    std::mutex mutex;
    std::vector<NoteEvent> pending; // received, not yet delivered
    std::shared_ptr<MidiSink> thru;
};

PortInput::PortInput(QObject *parent) : QObject(parent), shared_(std::make_shared<Shared>())
{
    shared_->owner = this;
}

PortInput::~PortInput()
{
    stop();
}

// On the port system's thread (JACK's process thread, RtMidi's ALSA thread): kept short.
// Sensing, clock and system exclusive never come here (ignoreTypes); running status is
// resolved by the port system.
void PortInput::received(double, std::vector<unsigned char> *message, void *data)
{
    auto *shared = static_cast<Shared *>(data);
    if (!message || message->empty())
        return;
    const std::uint8_t status = (*message)[0];
    if (status < 0x80 || status >= 0xF0)
        return; // start, stop, reset and the like are no notes
    const std::uint8_t data1 = message->size() > 1 ? (*message)[1] & 0x7F : 0;
    const std::uint8_t data2 = message->size() > 2 ? (*message)[2] & 0x7F : 0;

    std::shared_ptr<MidiSink> thru;
    {
        std::lock_guard lock(shared->mutex);
        thru = shared->thru;
    }
    if (thru)
        thru->send(status, data1, data2);

    if (!analysedNote(status, shared->skipDrums))
        return;
    const NoteEvent event = makeNoteEvent(0, status, data1, data2, 0);
    bool wake = false;
    quint64 generation = 0;
    {
        std::lock_guard lock(shared->mutex);
        wake = shared->pending.empty(); // else a delivery is on its way already
        shared->pending.push_back(event);
        generation = shared->generation;
    }
    if (wake) {
        PortInput *owner = shared->owner;
        QMetaObject::invokeMethod(owner, [owner, generation] { owner->deliver(generation); }, Qt::QueuedConnection);
    }
}

void PortInput::deliver(quint64 generation)
{
    std::vector<NoteEvent> events;
    {
        std::lock_guard lock(shared_->mutex);
        if (generation != shared_->generation)
            return;
        events.swap(shared_->pending);
    }
    for (const NoteEvent &event : events) {
        if (generation != shared_->generation)
            return; // a handler stopped or restarted listening
        emit noteReceived(event);
    }
}

bool PortInput::start(const MidiPort &port)
{
    stop();
    error_.clear();
    errors_ = std::make_unique<ports::RtErrors>();
    std::string why;
    std::unique_ptr<RtMidiIn> in = ports::makeInput(port.api, "Tunedeck", *errors_, why);
    const std::uint64_t epoch = ports::serverEpoch(port.api);
    if (in) {
        in->ignoreTypes(true, true, true);
        // Before the port opens, so nothing is queued unread.
        in->setCallback(&PortInput::received, shared_.get());
        if (!ports::openByName(*in, port.name, "in", *errors_, why))
            ports::release(in, port.api, epoch);
    }
    if (!in) {
        error_ = QStringLiteral("The MIDI input %1 could not be opened: %2")
                     .arg(QString::fromStdString(port.name), QString::fromStdString(why));
        return false;
    }
    port_ = port;
    in_ = std::move(in);
    epoch_ = epoch;
    return true;
}

void PortInput::stop()
{
    // Closed first: once RtMidi has closed the port its thread calls us no more.
    if (in_ && ports::mayClose(port_.api, epoch_))
        in_->closePort();
    ports::release(in_, port_.api, epoch_);
    std::lock_guard lock(shared_->mutex);
    ++shared_->generation;
    shared_->pending.clear();
}

void PortInput::setSkipDrums(bool skip)
{
    shared_->skipDrums = skip;
}

bool PortInput::skipDrums() const
{
    return shared_->skipDrums;
}

void PortInput::setThru(std::shared_ptr<MidiSink> sink)
{
    std::lock_guard lock(shared_->mutex);
    shared_->thru = std::move(sink);
}

void PortInput::checkStillListed(const std::vector<MidiPort> &inputs)
{
    if (!in_)
        return;
    if (errors_->failed())
        fail(QStringLiteral("The MIDI input %1 failed: %2")
                 .arg(QString::fromStdString(port_.name), QString::fromStdString(errors_->message())));
    else if (std::find(inputs.begin(), inputs.end(), port_) == inputs.end())
        fail(QStringLiteral("The MIDI input %1 has gone").arg(QString::fromStdString(port_.name)));
}

void PortInput::fail(const QString &message)
{
    stop();
    error_ = message;
    emit error(message);
}

} // namespace tunedeck
