// What a port choice in the window offers: the ports listed now, the chosen port kept while
// it is away (a keyboard unplugged, a synthesizer program not started yet), and why nothing
// is listed. Plain C++ on the port layer's types; the window turns entries into texts.
#ifndef TUNEDECK_QT_PORTS_PORTENTRIES_H
#define TUNEDECK_QT_PORTS_PORTENTRIES_H

#include "qt/ports/portsystem.h"

#include <string>
#include <string_view>
#include <vector>

namespace tunedeck {

enum class EntryKind {
    BuiltIn, // the built-in synthesizer (outputs only)
    Port,    // a port listed now
    Away,    // the chosen port, not listed now
    NoPorts, // nothing listed; reason says why (not choosable)
};

struct PortEntry {
    EntryKind kind = EntryKind::BuiltIn;
    MidiPort port;      // Port and Away
    std::string reason; // NoPorts: the listing's reason, empty when every system answered

    friend bool operator==(const PortEntry &, const PortEntry &) = default;
};

// The built-in synthesizer first when builtIn; the ports listed; the chosen port (a name,
// empty for none or the built-in synthesizer) when it is not among them; then, when no
// port is listed, why.
std::vector<PortEntry> portEntries(const PortListing &listing, bool builtIn, const std::string &chosen);

// The entry chosen stands for: the built-in synthesizer for an empty name where there is
// one, else the port of that name; -1 for none.
int chosenEntry(const std::vector<PortEntry> &entries, const std::string &chosen);

// The input port chosen: chosen, or else the first port listed, which the list shows chosen
// and which therefore stays in it as away when it goes; empty while nothing is listed.
std::string inputChoice(const PortListing &listing, const std::string &chosen);

// Whether two names are the same port from one session to the next: ALSA ends a name with
// the client and port numbers ("Keystation:Keystation MIDI 1 24:0"), which change when a
// device is plugged in again.
bool samePortName(std::string_view a, std::string_view b);

} // namespace tunedeck

#endif
