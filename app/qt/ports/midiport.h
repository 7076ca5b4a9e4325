// A MIDI port of the machine as the port layer names it: its port system, its name as that
// system lists it, and finding one by what a user or a script types. Plain C++.
#ifndef TUNEDECK_QT_PORTS_MIDIPORT_H
#define TUNEDECK_QT_PORTS_MIDIPORT_H

#include <string>
#include <string_view>
#include <vector>

namespace tunedeck {

enum class PortApi { Alsa, Jack, Platform }; // Platform: Windows multimedia, CoreMIDI

// Input: ports that send MIDI, which we listen to. Output: ports that take MIDI, which we
// play to.
enum class PortDirection { Input, Output };

struct MidiPort {
    std::string name; // as RtMidi lists it: "client:port" on JACK, "client:port 20:0" on ALSA
    PortApi api = PortApi::Platform;

    friend bool operator==(const MidiPort &, const MidiPort &) = default;
};

struct PortListing {
    std::vector<MidiPort> ports; // ALSA first, then JACK, each in its system's order
    // Why a port system could not be asked ("no JACK server is running"), "; "-joined;
    // empty when every one answered.
    std::string reason;

    friend bool operator==(const PortListing &, const PortListing &) = default;
};

// The port a user or a script means by pattern: the one whose whole name it is, ignoring
// case, else the first whose name contains it, ignoring case. Null when none does, or when
// pattern is empty.
const MidiPort *findPort(const std::vector<MidiPort> &ports, std::string_view pattern);

std::string apiName(PortApi api); // "ALSA", "JACK", "MIDI"

} // namespace tunedeck

#endif
