#include "qt/ports/portentries.h"

#include <algorithm>
#include <cctype>

namespace tunedeck {

namespace {

// The name without ALSA's trailing " client:port" numbers.
std::string_view withoutAddress(std::string_view name)
{
    std::size_t end = name.size();
    auto digitsBefore = [&](std::size_t at) {
        std::size_t k = at;
        while (k > 0 && std::isdigit(static_cast<unsigned char>(name[k - 1])))
            --k;
        return k;
    };
    const std::size_t portStart = digitsBefore(end);
    if (portStart == end || portStart == 0 || name[portStart - 1] != ':')
        return name;
    const std::size_t clientStart = digitsBefore(portStart - 1);
    if (clientStart == portStart - 1 || clientStart == 0 || name[clientStart - 1] != ' ')
        return name;
    return name.substr(0, clientStart - 1);
}

} // namespace

bool samePortName(std::string_view a, std::string_view b)
{
    return a == b || (!a.empty() && withoutAddress(a) == withoutAddress(b));
}

std::vector<PortEntry> portEntries(const PortListing &listing, bool builtIn, const std::string &chosen)
{
    std::vector<PortEntry> entries;
    auto add = [&entries](EntryKind kind, const MidiPort &port, const std::string &reason) {
        PortEntry &entry = entries.emplace_back();
        entry.kind = kind;
        entry.port = port;
        entry.reason = reason;
    };
    if (builtIn)
        add(EntryKind::BuiltIn, {}, {});
    for (const MidiPort &port : listing.ports)
        add(EntryKind::Port, port, {});
    const bool listed = std::any_of(listing.ports.begin(), listing.ports.end(),
                                    [&](const MidiPort &p) { return samePortName(p.name, chosen); });
    if (!chosen.empty() && !listed)
        add(EntryKind::Away, {chosen, PortApi::Platform}, {});
    if (listing.ports.empty())
        add(EntryKind::NoPorts, {}, listing.reason);
    return entries;
}

int chosenEntry(const std::vector<PortEntry> &entries, const std::string &chosen)
{
    // The whole name first: two devices of one kind differ only in their numbers.
    for (const bool exact : {true, false}) {
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const PortEntry &e = entries[k];
            if (chosen.empty() && e.kind == EntryKind::BuiltIn)
                return int(k);
            const bool port = e.kind == EntryKind::Port || e.kind == EntryKind::Away;
            if (port && !chosen.empty() && (exact ? e.port.name == chosen : samePortName(e.port.name, chosen)))
                return int(k);
        }
    }
    return -1;
}

std::string inputChoice(const PortListing &listing, const std::string &chosen)
{
    if (!chosen.empty() || listing.ports.empty())
        return chosen;
    return listing.ports.front().name;
}

} // namespace tunedeck
