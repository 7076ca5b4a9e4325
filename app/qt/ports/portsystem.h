// The MIDI ports of the machine's port systems (the ALSA sequencer and JACK on Linux, the
// platform's own elsewhere), as RtMidi reaches them: listing, matching by name, and why a
// system cannot be used. Plain C++; safe from any thread.
#ifndef TUNEDECK_QT_PORTS_PORTSYSTEM_H
#define TUNEDECK_QT_PORTS_PORTSYSTEM_H

#include "qt/ports/midiport.h"

#include <string>
#include <vector>

namespace tunedeck {

// The ports now. Never prints anything: what the port systems report goes to
// portDiagnostics().
PortListing listPorts(PortDirection direction);

// Closes the clients that listing keeps open; the next listing opens them again. Done at exit;
// call it before stopping a JACK server of your own, which would otherwise leave our
// client's traces in /dev/shm.
void closePortSystems();

// What the port systems reported (RtMidi's errors and warnings, JACK's messages), oldest
// first, the most recent hundred.
std::vector<std::string> portDiagnostics();

} // namespace tunedeck

#endif
