#include "qt/run/portrouting.h"

#include "core/playback/midisink.h"
#include "qt/playback/playlistoutput.h"
#include "qt/ports/portinput.h"
#include "qt/ports/portsink.h"

#include <algorithm>

namespace tunedeck {

namespace {

QString notConnected(const PortEntry &entry, const char *what)
{
    return QStringLiteral("The MIDI %1 %2 is not connected")
        .arg(QLatin1String(what), QString::fromStdString(entry.port.name));
}

} // namespace

std::optional<QString> inputRefusal(const PortEntry *input)
{
    if (input && input->kind == EntryKind::Port)
        return std::nullopt;
    return input && input->kind == EntryKind::Away ? notConnected(*input, "input") : QString();
}

PortRouting::PortRouting(PlayListOutput *output, QObject *parent) : QObject(parent), output_(output)
{
    input_ = new PortInput(this);
    connect(input_, &PortInput::noteReceived, this, &PortRouting::heard);
    connect(input_, &PortInput::error, this, &PortRouting::inputFailed);
}

PortRouting::~PortRouting()
{
    input_->stop();
    if (thru_)
        thru_->allOff();
}

bool PortRouting::chooseOutput(const PortEntry *entry)
{
    if (!output_)
        return true;
    if (!entry || entry->kind == EntryKind::BuiltIn) {
        if (portSink_) {
            portSink_.reset();
            output_->setSink(nullptr); // the synthesizer again at the next open
        }
        return true;
    }
    QString error = notConnected(*entry, "output");
    if (entry->kind == EntryKind::Port) {
        if (portSink_ && portSink_->port() == entry->port && portSink_->failure().empty())
            return true;
        PortSinkStart start = openPortSink(entry->port);
        if (start.sink) {
            portSink_ = std::move(start.sink);
            output_->setSink(portSink_);
            return true;
        }
        error = QString::fromStdString(start.error);
    }
    emit outputFailed(error);
    return false;
}

std::optional<std::shared_ptr<MidiSink>> PortRouting::thruSink(const PortEntry *output, bool thru)
{
    if (!thru || !output_)
        return std::shared_ptr<MidiSink>();
    if (!chooseOutput(output))
        return std::nullopt;
    return output_->sink();
}

bool PortRouting::openInput(const MidiPort &port, std::shared_ptr<MidiSink> thru)
{
    input_->setThru(thru);
    if (!input_->start(port)) {
        input_->setThru(nullptr);
        return false;
    }
    thru_ = std::move(thru);
    return true;
}

void PortRouting::closeInput()
{
    input_->stop();
    input_->setThru(nullptr);
    if (thru_) {
        thru_->allOff();
        thru_.reset();
    }
}

bool PortRouting::inputOpen() const
{
    return input_->isListening();
}

QString PortRouting::inputProblem() const
{
    return input_->errorString();
}

void PortRouting::portsChanged(const std::vector<MidiPort> &inputs, const std::vector<MidiPort> &outputs)
{
    input_->checkStillListed(inputs);
    // Played through to a port that has gone: listening goes on, unheard.
    if (thru_ && thru_ == portSink_
        && std::find(outputs.begin(), outputs.end(), portSink_->port()) == outputs.end())
        emit outputFailed(
            QStringLiteral("the MIDI port %1 has gone").arg(QString::fromStdString(portSink_->port().name)));
}

} // namespace tunedeck
