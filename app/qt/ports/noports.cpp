// The port layer of a build without RtMidi: no port system to ask, nothing to open. The
// window and the command line work as with ports, their lists saying why there are none.
#include "qt/ports/portinput.h"
#include "qt/ports/portsink.h"
#include "qt/ports/portsystem.h"

// Without RtMidi these are never made; the members that hold them stay empty.
class RtMidiIn {};
class RtMidiOut {};
namespace tunedeck::ports {
class RtErrors {};
} // namespace tunedeck::ports

namespace tunedeck {

namespace {
const char *const NoPorts = "this build of Tunedeck has no MIDI port support";
} // namespace

PortListing listPorts(PortDirection)
{
    return {{}, NoPorts};
}

void closePortSystems() {}

std::vector<std::string> portDiagnostics()
{
    return {};
}

struct PortInput::Shared {};

PortInput::PortInput(QObject *parent) : QObject(parent) {}
PortInput::~PortInput() = default;

bool PortInput::start(const MidiPort &port)
{
    error_ = QStringLiteral("The MIDI input %1 could not be opened: %2")
                 .arg(QString::fromStdString(port.name), QLatin1String(NoPorts));
    return false;
}

void PortInput::stop() {}
void PortInput::setSkipDrums(bool) {}
bool PortInput::skipDrums() const { return true; }
void PortInput::setThru(std::shared_ptr<MidiSink>) {}
void PortInput::checkStillListed(const std::vector<MidiPort> &) {}
void PortInput::received(double, std::vector<unsigned char> *, void *) {}
void PortInput::deliver(quint64) {}
void PortInput::fail(const QString &) {}

PortSink::~PortSink() = default;
bool PortSink::send(std::uint8_t, std::uint8_t, std::uint8_t) { return false; }
bool PortSink::sendLocked(std::uint8_t, std::uint8_t, std::uint8_t) { return false; }
void PortSink::allOff() {}
std::string PortSink::failure() const { return NoPorts; }

PortSinkStart openPortSink(const MidiPort &, const std::string &)
{
    return {nullptr, NoPorts};
}

PortSinkStart openPortSink(std::string_view)
{
    return {nullptr, NoPorts};
}

} // namespace tunedeck
