#include "ports/rtmidiports.h"

#include <algorithm>

namespace tunedeck::ports {

namespace {

bool isCompiled(RtMidi::Api api)
{
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}

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

} // namespace

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
    return make<RtMidiOut>(api, clientName, errors, why);
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

} // namespace tunedeck::ports
