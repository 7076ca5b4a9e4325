#include "qt/ports/systemprobe.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#if defined(__linux__)
#  include <unistd.h>
#endif
#if TUNEDECK_HAVE_JACK
#  include <jack/jack.h>
#endif

namespace tunedeck::ports {

namespace {

constexpr std::size_t MaxDiagnostics = 100;

std::mutex diagnosticsMutex;
std::deque<std::string> diagnostics;

bool isCompiled(RtMidi::Api api)
{
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}

#if TUNEDECK_HAVE_JACK
void jackMessage(const char *text)
{
    note(std::string("JACK: ") + (text ? text : ""));
}

// One client of our own that is never activated: it tells whether a server is there
// (opening one where none runs would have JACK print its complaints), notices when the
// server stops, and lists the ports from the server's shared graph at no cost. Never
// destroyed (JACK's threads may still call it at exit); its client is closed at exit.
class JackProbe {
public:
    static JackProbe &instance()
    {
        static JackProbe *const probe = [] {
            auto *made = new JackProbe;
            std::atexit([] { instance().close(); }); // before JACK's own statics go
            return made;
        }();
        return *probe;
    }

    // The server is taken to live on until a client of ours hears otherwise.
    void close()
    {
        std::lock_guard lock(mutex_);
        if (client_)
            jack_client_close(client_);
        client_ = nullptr;
        lost_ = lost_ || down_;
        down_ = false;
    }

    bool running(std::string &why)
    {
        std::lock_guard lock(mutex_);
        return connect(why);
    }

    std::uint64_t epoch()
    {
        std::lock_guard lock(mutex_);
        return epoch_;
    }

    bool alive(std::uint64_t epoch)
    {
        std::lock_guard lock(mutex_);
        return !down_ && !lost_ && epoch == epoch_;
    }

    // reconnect false: only through the client we have. The check of a playing port may run
    // on JACK's own process thread (a live input passed through), where opening a client
    // could wait on the very cycle that waits for us.
    bool ports(PortDirection direction, std::vector<std::string> &names, std::string &why, bool reconnect)
    {
        std::lock_guard lock(mutex_);
        if (reconnect && !connect(why))
            return false;
        if (!client_ || down_) {
            why = "the JACK server has stopped";
            return false;
        }
        // Input ports read from JACK ports that send (JackPortIsOutput), and the other way.
        const unsigned long flags = direction == PortDirection::Input ? JackPortIsOutput : JackPortIsInput;
        const char **found = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
        if (!found) { // no port, or a server that has just gone
            if (down_)
                why = "the JACK server has stopped";
            return !down_;
        }
        for (const char **p = found; *p; ++p)
            names.emplace_back(*p);
        jack_free(found);
        return true;
    }

private:
    JackProbe()
    {
        // RtMidi's clients share these: nothing from JACK reaches stderr.
        jack_set_error_function(jackMessage);
        jack_set_info_function(jackMessage);
    }

    bool connect(std::string &why)
    {
        if (client_ && down_) {
            jack_client_close(client_);
            client_ = nullptr;
            down_ = false;
            lost_ = true;
            note("JACK: the server has stopped");
        }
        if (client_)
            return true;
        jack_status_t status{};
        client_ = jack_client_open("tunedeck-ports", JackNoStartServer, &status);
        if (!client_) {
            why = "no JACK server is running";
            return false;
        }
        jack_on_shutdown(client_, [](void *self) { static_cast<JackProbe *>(self)->down_ = true; }, this);
        if (lost_ || epoch_ == 0)
            ++epoch_;
        lost_ = false;
        return true;
    }

    std::mutex mutex_;
    jack_client_t *client_ = nullptr;
    std::atomic<bool> down_{false};
    bool lost_ = false;       // the server we knew has gone, and we have not met another
    std::uint64_t epoch_ = 0; // one more for every server we meet
};
#endif

} // namespace

void note(std::string line)
{
    std::lock_guard lock(diagnosticsMutex);
    diagnostics.push_back(std::move(line));
    if (diagnostics.size() > MaxDiagnostics)
        diagnostics.pop_front();
}

std::vector<std::string> noted()
{
    std::lock_guard lock(diagnosticsMutex);
    return {diagnostics.begin(), diagnostics.end()};
}

RtMidi::Api rtApi(PortApi api)
{
    switch (api) {
    case PortApi::Alsa:
        return isCompiled(RtMidi::LINUX_ALSA) ? RtMidi::LINUX_ALSA : RtMidi::UNSPECIFIED;
    case PortApi::Jack:
        return isCompiled(RtMidi::UNIX_JACK) ? RtMidi::UNIX_JACK : RtMidi::UNSPECIFIED;
    case PortApi::Platform:
        for (RtMidi::Api own : {RtMidi::WINDOWS_MM, RtMidi::MACOSX_CORE})
            if (isCompiled(own))
                return own;
        break;
    }
    return RtMidi::UNSPECIFIED;
}

bool systemUsable(PortApi api, std::string &why)
{
    switch (api) {
    case PortApi::Alsa:
        if (!isCompiled(RtMidi::LINUX_ALSA)) {
            why = "RtMidi was built without the ALSA sequencer";
            return false;
        }
#if defined(__linux__)
        // Without the device, ALSA prints its own error before RtMidi can be told to
        // keep quiet.
        if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
            why = std::string("no ALSA sequencer (/dev/snd/seq: ") + std::strerror(errno) + ")";
            return false;
        }
#endif
        return true;
    case PortApi::Jack:
#if TUNEDECK_HAVE_JACK
        if (isCompiled(RtMidi::UNIX_JACK))
            return JackProbe::instance().running(why);
#endif
        why = "this build has no JACK support";
        return false;
    case PortApi::Platform:
        if (rtApi(PortApi::Platform) != RtMidi::UNSPECIFIED)
            return true;
        why = "no platform MIDI system";
        return false;
    }
    return false;
}

std::uint64_t serverEpoch(PortApi api)
{
#if TUNEDECK_HAVE_JACK
    if (api == PortApi::Jack)
        return JackProbe::instance().epoch();
#endif
    (void)api;
    return 0;
}

bool mayClose(PortApi api, std::uint64_t epoch)
{
#if TUNEDECK_HAVE_JACK
    if (api == PortApi::Jack && !JackProbe::instance().alive(epoch)) {
        note("JACK: a port of a server that has gone is left open");
        return false;
    }
#endif
    (void)api;
    (void)epoch;
    return true;
}

bool jackPortNames(PortDirection direction, std::vector<std::string> &names, std::string &why, bool reconnect)
{
#if TUNEDECK_HAVE_JACK
    return JackProbe::instance().ports(direction, names, why, reconnect);
#else
    (void)direction;
    (void)names;
    (void)reconnect;
    why = "this build has no JACK support";
    return false;
#endif
}

void closeJackClient()
{
#if TUNEDECK_HAVE_JACK
    JackProbe::instance().close();
#endif
}

} // namespace tunedeck::ports
