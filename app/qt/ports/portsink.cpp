#include "qt/ports/portsink.h"

#include "qt/ports/rtmidiports.h"

namespace tunedeck {

PortSink::~PortSink()
{
    ports::release(out_, port_.api, epoch_);
}

bool PortSink::send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    std::lock_guard lock(mutex_); // the play list and a live input may share one port
    return sendLocked(status, data1, data2);
}

bool PortSink::sendLocked(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    if (errors_->failed())
        return false;
    // Neither ALSA nor JACK refuses a message whose reader has gone: ask whether the port
    // is still there, now and then.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastCheck_ >= CheckInterval) {
        lastCheck_ = now;
        if (!ports::portListed(port_, PortDirection::Output)) {
            errors_->fail("the MIDI port " + port_.name + " has gone");
            return false;
        }
    }
    const int kind = status & 0xF0;
    const unsigned char message[3] = {status, data1, data2};
    out_->sendMessage(message, kind == 0xC0 || kind == 0xD0 ? 2 : 3);
    return !errors_->failed();
}

void PortSink::allOff()
{
    std::lock_guard lock(mutex_);
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        // A held pedal would keep released notes sounding.
        for (std::uint8_t controller : {64, 66, 123, 120})
            if (!sendLocked(std::uint8_t(0xB0 | channel), controller, 0))
                return;
    }
}

std::string PortSink::failure() const
{
    return errors_->message();
}

PortSinkStart openPortSink(const MidiPort &port, const std::string &clientName)
{
    std::shared_ptr<PortSink> sink(new PortSink);
    sink->port_ = port;
    sink->errors_ = std::make_unique<ports::RtErrors>();
    std::string why;
    sink->out_ = ports::makeOutput(port.api, clientName, *sink->errors_, why);
    sink->epoch_ = ports::serverEpoch(port.api);
    if (!sink->out_ || !ports::openByName(*sink->out_, port.name, "out", *sink->errors_, why))
        return {nullptr, "The MIDI output " + port.name + " could not be opened: " + why};
    sink->lastCheck_ = std::chrono::steady_clock::now();
    return {std::move(sink), {}};
}

PortSinkStart openPortSink(std::string_view pattern)
{
    const PortListing outputs = listPorts(PortDirection::Output);
    if (const MidiPort *port = findPort(outputs.ports, pattern))
        return openPortSink(*port);
    std::string error = "No MIDI output port matches \"" + std::string(pattern) + "\"";
    if (outputs.ports.empty())
        error += outputs.reason.empty() ? ": there is none" : ": " + outputs.reason;
    else
        for (std::size_t k = 0; k < outputs.ports.size(); ++k)
            error += (k == 0 ? "; the ports are: " : ", ") + outputs.ports[k].name;
    return {nullptr, error};
}

} // namespace tunedeck
