// A play list output to a MIDI port of the machine (a hardware synthesizer, another
// program): the channel messages the play list sends go to the port as they are.
#ifndef TUNEDECK_QT_PORTS_PORTSINK_H
#define TUNEDECK_QT_PORTS_PORTSINK_H

#include "core/playback/midisink.h"
#include "qt/ports/portsystem.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

class RtMidiOut;

namespace tunedeck::ports {
class RtErrors;
}

namespace tunedeck {

class PortSink;

struct PortSinkStart {
    std::shared_ptr<PortSink> sink; // null when the port could not be opened
    std::string error;              // why, for the user
};

// Connects to port; clientName names us in the port system (JACK makes it unique).
PortSinkStart openPortSink(const MidiPort &port, const std::string &clientName = "Tunedeck");

// The output port pattern means (see findPort), for --output PORT.
PortSinkStart openPortSink(std::string_view pattern);

class PortSink final : public MidiSink {
public:
    ~PortSink() override;

    // Sent on from any thread, one message at a time. False once the port has failed or
    // gone (checked at most every CheckInterval while sending); failure() then says why,
    // and nothing more is sent.
    bool send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
    // Pedals up, all notes off and all sound off on the 16 channels; nothing once failed.
    void allOff() override;
    std::string failure() const override;

    const MidiPort &port() const { return port_; }

    static constexpr std::chrono::milliseconds CheckInterval{100};

private:
    friend PortSinkStart openPortSink(const MidiPort &, const std::string &);
    PortSink() = default;
    bool sendLocked(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

    MidiPort port_;
    std::unique_ptr<ports::RtErrors> errors_;
    std::unique_ptr<RtMidiOut> out_;
    std::uint64_t epoch_ = 0;
    mutable std::mutex mutex_;
    std::chrono::steady_clock::time_point lastCheck_;
};

} // namespace tunedeck

#endif
