#include "qt/ports/portsystem.h"

#include "qt/ports/rtmidiports.h"

namespace tunedeck {

PortListing listPorts(PortDirection direction)
{
    PortListing listing;
    std::vector<PortApi> apis;
#if defined(__linux__)
    apis = {PortApi::Alsa, PortApi::Jack};
#else
    apis = {PortApi::Platform, PortApi::Jack};
#endif
    for (PortApi api : apis) {
        if (api == PortApi::Jack && ports::rtApi(PortApi::Jack) == RtMidi::UNSPECIFIED)
            continue; // not a thing the user can start
        std::vector<std::string> names;
        std::string why;
        if (!ports::listNames(api, direction, names, why)) {
            listing.reason += (listing.reason.empty() ? "" : "; ") + why;
            continue;
        }
        for (std::string &name : names)
            listing.ports.push_back({std::move(name), api});
    }
    return listing;
}

void closePortSystems()
{
    ports::closeJackClient();
}

std::vector<std::string> portDiagnostics()
{
    return ports::noted();
}

} // namespace tunedeck
