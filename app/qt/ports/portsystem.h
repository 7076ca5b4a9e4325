// The MIDI ports of the machine's port systems (the ALSA sequencer and JACK on Linux, the
// platform's own elsewhere), as RtMidi reaches them: listing, matching by name, and why a
// system cannot be used. Plain C++; safe from any thread.
#ifndef TUNEDECK_QT_PORTS_PORTSYSTEM_H
#define TUNEDECK_QT_PORTS_PORTSYSTEM_H

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

// The ports now. Never prints anything: what the port systems report goes to
// portDiagnostics().
PortListing listPorts(PortDirection direction);

// The port a user or a script means by pattern: the one whose whole name it is, ignoring
// case, else the first whose name contains it, ignoring case. Null when none does, or when
// pattern is empty.
const MidiPort *findPort(const std::vector<MidiPort> &ports, std::string_view pattern);

std::string apiName(PortApi api); // "ALSA", "JACK", "MIDI"

// Closes the clients that listing keeps open; the next listing opens them again. Done at exit;
// call it before stopping a JACK server of your own, which would otherwise leave our
// client's traces in /dev/shm.
void closePortSystems();

// What the port systems reported (RtMidi's errors and warnings, JACK's messages), oldest
// first, the most recent hundred.
std::vector<std::string> portDiagnostics();

} // namespace tunedeck

#endif
