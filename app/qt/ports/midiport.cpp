#include "qt/ports/midiport.h"

#include <algorithm>
#include <cctype>

namespace tunedeck {

namespace {

std::string lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

} // namespace

const MidiPort *findPort(const std::vector<MidiPort> &ports, std::string_view pattern)
{
    if (pattern.empty())
        return nullptr;
    const std::string wanted = lowered(pattern);
    for (const MidiPort &port : ports)
        if (lowered(port.name) == wanted)
            return &port;
    for (const MidiPort &port : ports)
        if (lowered(port.name).find(wanted) != std::string::npos)
            return &port;
    return nullptr;
}

std::string apiName(PortApi api)
{
    switch (api) {
    case PortApi::Alsa:
        return "ALSA";
    case PortApi::Jack:
        return "JACK";
    case PortApi::Platform:
        break;
    }
    return "MIDI";
}

} // namespace tunedeck
