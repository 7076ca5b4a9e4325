#include "qt/ports/rtmidiports.h"

#include <algorithm>
#include <vector>

namespace tunedeck::ports {

namespace {

// RtMidi reports a failing constructor by exception, everything later through the callback.
template <typename Rt>
std::unique_ptr<Rt> make(PortApi api, const std::string &clientName, RtErrors &errors, std::string &why)
{
    const RtMidi::Api rt = rtApi(api);
    if (rt == RtMidi::UNSPECIFIED) {
        why = apiName(api) + " is not built into RtMidi";
        return nullptr;
    }
    // Checked first: a missing system would print on stderr from inside the constructor.
    if (!systemUsable(api, why))
        return nullptr;
    try {
        auto object = std::make_unique<Rt>(rt, clientName);
        errors.attach(*object);
        return object;
    } catch (const RtMidiError &e) {
        why = e.getMessage();
        note("RtMidi: " + why);
        return nullptr;
    }
}

// JACK outputs handed back, kept for good (see release). Never freed either: JACK's threads
// may run on after main returns.
struct Parked {
    RtMidiOut *out;
    std::string client;
    std::uint64_t epoch;
    bool free; // closed and waiting for a new owner
};

std::mutex parkedMutex;

std::vector<Parked> &parkedOutputs()
{
    static auto *const outputs = new std::vector<Parked>;
    return *outputs;
}

// A kept output has no owner to tell; its complaints go to the diagnostics.
void noteOnly(RtMidiError::Type, const std::string &text, void *)
{
    note("RtMidi: " + text);
}

// One listing object per port system and direction, made once: a new client every second
// would be announced to every other client of the system every second.
class RtLister {
public:
    static RtLister &instance()
    {
        static RtLister *const lister = new RtLister; // never destroyed, as the JACK probe
        return *lister;
    }

    bool ports(PortApi api, PortDirection direction, std::vector<std::string> &names, std::string &why)
    {
        std::lock_guard lock(mutex_);
        Slot &slot = slots_[int(api)];
        RtMidi *rt = nullptr;
        if (direction == PortDirection::Input) {
            if (!slot.in)
                slot.in = makeInput(api, "Tunedeck ports", slot.errors, why);
            rt = slot.in.get();
        } else {
            if (!slot.out)
                slot.out = makeOutput(api, "Tunedeck ports", slot.errors, why);
            rt = slot.out.get();
        }
        if (!rt)
            return false;
        const unsigned count = rt->getPortCount();
        for (unsigned k = 0; k < count; ++k)
            names.push_back(rt->getPortName(k));
        return true;
    }

private:
    struct Slot {
        RtErrors errors;
        std::unique_ptr<RtMidiIn> in;
        std::unique_ptr<RtMidiOut> out;
    };
    std::mutex mutex_;
    Slot slots_[3];
};

} // namespace

void RtErrors::attach(RtMidi &rt)
{
    rt.setErrorCallback(&RtErrors::callback, this);
}

void RtErrors::fail(const std::string &message)
{
    {
        std::lock_guard lock(mutex_);
        if (failed_)
            return; // the first failure names the cause
        message_ = message;
    }
    failed_ = true;
}

std::string RtErrors::message() const
{
    std::lock_guard lock(mutex_);
    return message_;
}

void RtErrors::callback(RtMidiError::Type type, const std::string &text, void *self)
{
    note("RtMidi: " + text);
    if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
        static_cast<RtErrors *>(self)->fail(text);
}

std::unique_ptr<RtMidiIn> makeInput(PortApi api, const std::string &clientName, RtErrors &errors, std::string &why)
{
    return make<RtMidiIn>(api, clientName, errors, why);
}

std::unique_ptr<RtMidiOut> makeOutput(PortApi api, const std::string &clientName, RtErrors &errors,
                                      std::string &why)
{
    if (api != PortApi::Jack)
        return make<RtMidiOut>(api, clientName, errors, why);
    if (!systemUsable(api, why))
        return nullptr;
    const std::uint64_t epoch = serverEpoch(api);
    std::lock_guard lock(parkedMutex);
    for (Parked &parked : parkedOutputs()) {
        if (parked.free && parked.client == clientName && parked.epoch == epoch) {
            parked.free = false;
            errors.attach(*parked.out);
            return std::unique_ptr<RtMidiOut>(parked.out);
        }
    }
    std::unique_ptr<RtMidiOut> out = make<RtMidiOut>(api, clientName, errors, why);
    if (out)
        parkedOutputs().push_back({out.get(), clientName, epoch, false});
    return out;
}

void release(std::unique_ptr<RtMidiOut> &rt, PortApi api, std::uint64_t epoch)
{
    if (!rt)
        return;
    if (api != PortApi::Jack) {
        rt.reset();
        return;
    }
    RtMidiOut *out = rt.release();
    out->setErrorCallback(&noteOnly, nullptr);
    const bool closable = mayClose(api, epoch); // a dead server's port crashes JACK when closed
    if (closable)
        out->closePort();
    std::lock_guard lock(parkedMutex);
    for (Parked &parked : parkedOutputs())
        if (parked.out == out)
            parked.free = closable;
}

bool openByName(RtMidi &rt, const std::string &name, const std::string &ownPort, RtErrors &errors, std::string &why)
{
    // Numbers move as ports come and go: the one that has the name now.
    const unsigned count = rt.getPortCount();
    for (unsigned k = 0; k < count; ++k) {
        if (rt.getPortName(k) != name)
            continue;
        rt.openPort(k, ownPort);
        if (errors.failed() || !rt.isPortOpen()) {
            why = errors.failed() ? errors.message() : "the port could not be opened";
            return false;
        }
        return true;
    }
    why = "there is no port " + name + " any more";
    return false;
}

bool listNames(PortApi api, PortDirection direction, std::vector<std::string> &names, std::string &why,
               bool reconnect)
{
#if TUNEDECK_HAVE_JACK
    if (api == PortApi::Jack)
        return jackPortNames(direction, names, why, reconnect);
#endif
    if (!systemUsable(api, why))
        return false;
    return RtLister::instance().ports(api, direction, names, why);
}

bool portListed(const MidiPort &port, PortDirection direction)
{
    std::vector<std::string> names;
    std::string why;
    return listNames(port.api, direction, names, why, false)
        && std::find(names.begin(), names.end(), port.name) != names.end();
}

} // namespace tunedeck::ports
