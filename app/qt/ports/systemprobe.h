// Inside the ports library: whether a port system can be asked now, the life of the JACK
// server (a port of a server that has gone must not be closed), the port names JACK's own
// client lists, and what the systems reported. Safe from any thread.
#ifndef TUNEDECK_QT_PORTS_SYSTEMPROBE_H
#define TUNEDECK_QT_PORTS_SYSTEMPROBE_H

#include "qt/ports/midiport.h"

#include <RtMidi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tunedeck::ports {

void note(std::string line); // to portDiagnostics()
// What was noted, oldest first, the most recent hundred.
std::vector<std::string> noted();

// RtMidi's name for api; UNSPECIFIED when RtMidi was built without it.
RtMidi::Api rtApi(PortApi api);

// True when the port system can be asked now; why otherwise. Asking a missing one would
// have RtMidi, ALSA or JACK print their complaints.
bool systemUsable(PortApi api, std::string &why);

// The JACK server a JACK object is made on now (0 for the other systems).
std::uint64_t serverEpoch(PortApi api);
// False when the JACK server of epoch has gone: closing a port of a dead server crashes
// inside JACK, so such an object is kept for good instead (see release).
bool mayClose(PortApi api, std::uint64_t epoch);

// The JACK ports of direction, from the server's graph. reconnect false: only through the
// client we have, as on JACK's own process thread, where opening a client could wait on
// the very cycle that waits for us. False, with why, when no server answers.
bool jackPortNames(PortDirection direction, std::vector<std::string> &names, std::string &why, bool reconnect);
// Closes our JACK client; the next question opens it again.
void closeJackClient();

} // namespace tunedeck::ports

#endif
