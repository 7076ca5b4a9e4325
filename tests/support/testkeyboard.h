// A test keyboard: a JACK client with an output port "out", made and handed back through the
// ports layer so that it outlives JACK's threads as the program's own outputs do.
#ifndef TUNEDECK_TESTKEYBOARD_H
#define TUNEDECK_TESTKEYBOARD_H

#include "ports/rtmidiports.h"

class TestKeyboard {
public:
    explicit TestKeyboard(const char *client)
    {
        out_ = tunedeck::ports::makeOutput(tunedeck::PortApi::Jack, client, errors_, why_);
        epoch_ = tunedeck::ports::serverEpoch(tunedeck::PortApi::Jack);
        if (out_)
            out_->openVirtualPort("out");
    }
    ~TestKeyboard() { tunedeck::ports::release(out_, tunedeck::PortApi::Jack, epoch_); }
    TestKeyboard(const TestKeyboard &) = delete;
    TestKeyboard &operator=(const TestKeyboard &) = delete;

    bool ready() const { return out_ && !errors_.failed(); } // a virtual port never counts as open
    const char *why() const { return errors_.failed() ? "RtMidi failed" : why_.c_str(); }
    void sendMessage(const std::vector<unsigned char> *m) { out_->sendMessage(m); }
    void closePort() { out_->closePort(); }

private:
    tunedeck::ports::RtErrors errors_;
    std::unique_ptr<RtMidiOut> out_;
    std::uint64_t epoch_ = 0;
    std::string why_;
};

#endif
