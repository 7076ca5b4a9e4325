// Inside the ports library: RtMidi objects made without a word on stderr, opened by port
// name, with their errors caught, and the port names each system lists now.
#ifndef TUNEDECK_QT_PORTS_RTMIDIPORTS_H
#define TUNEDECK_QT_PORTS_RTMIDIPORTS_H

#include "qt/ports/midiport.h"
#include "qt/ports/systemprobe.h"

#include <RtMidi.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

namespace tunedeck::ports {

template <typename Rt>
void release(std::unique_ptr<Rt> &rt, PortApi api, std::uint64_t epoch)
{
    static_assert(!std::is_same_v<Rt, RtMidiOut>, "outputs have their own release");
    if (rt && !mayClose(api, epoch)) {
        (void)rt.release(); // its server, and with it every thread that would call it, is gone
        return;
    }
    rt.reset();
}

// RtMidi's JACK output frees its message buffers before it stops its JACK thread, which may
// be reading them at that moment: a JACK output is closed and kept for the next makeOutput
// of its client name on the same server, never destroyed. Other outputs are destroyed.
void release(std::unique_ptr<RtMidiOut> &rt, PortApi api, std::uint64_t epoch);

// The names of the ports of api and direction, in the system's order; false, with why, when
// the system cannot be asked. reconnect: see jackPortNames.
bool listNames(PortApi api, PortDirection direction, std::vector<std::string> &names, std::string &why,
               bool reconnect = true);
// True while the port is listed (a disappeared JACK server lists nothing). Never opens a
// JACK client: a played-through port is checked on JACK's process thread.
bool portListed(const MidiPort &port, PortDirection direction);

// An RtMidi object's failures: warnings go to the diagnostics, errors are kept here.
// RtMidi reports from the caller's thread or from its own.
class RtErrors {
public:
    void attach(RtMidi &rt);
    void fail(const std::string &message);
    bool failed() const { return failed_; }
    std::string message() const;

private:
    static void callback(RtMidiError::Type type, const std::string &text, void *self);

    mutable std::mutex mutex_;
    std::string message_;
    std::atomic<bool> failed_{false};
};

// The object for api, or null with why. clientName names our client in the port system.
std::unique_ptr<RtMidiIn> makeInput(PortApi api, const std::string &clientName, RtErrors &errors,
                                    std::string &why);
std::unique_ptr<RtMidiOut> makeOutput(PortApi api, const std::string &clientName, RtErrors &errors,
                                      std::string &why);

// Connects rt to the port listed as name, through a port of ours called ownPort.
bool openByName(RtMidi &rt, const std::string &name, const std::string &ownPort, RtErrors &errors,
                std::string &why);

} // namespace tunedeck::ports

#endif
