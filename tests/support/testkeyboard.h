// A test keyboard: a JACK client with an output port "out", made and handed back through the
// ports layer so that it outlives JACK's threads as the program's own outputs do.
#ifndef TUNEDECK_TESTKEYBOARD_H
#define TUNEDECK_TESTKEYBOARD_H

#include "qt/ports/rtmidiports.h"

#include <QTest>

#include <functional>
#include <vector>

// Until new connections carry messages: JACK's first cycles may lose what is sent at once.
// A controller, which is no note, goes through send again until lastReceived() (the other
// end's last message, empty while none) has one, then another that must arrive last; from
// then on what arrives is what is sent.
inline bool waitForConnection(const std::function<void(const std::vector<unsigned char> &)> &send,
                              const std::function<std::vector<unsigned char>()> &lastReceived, int timeoutMs)
{
    const std::vector<unsigned char> probe{0xB0, 16, 0}, last{0xB0, 17, 0};
    const bool heard = QTest::qWaitFor([&] {
        if (!lastReceived().empty())
            return true;
        send(probe);
        return false;
    }, timeoutMs);
    if (!heard)
        return false;
    send(last);
    return QTest::qWaitFor([&] { return lastReceived() == last; }, timeoutMs);
}

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

    // waitForConnection() from this keyboard.
    bool waitForConnection(const std::function<std::vector<unsigned char>()> &lastReceived, int timeoutMs)
    {
        return ::waitForConnection([this](const std::vector<unsigned char> &m) { sendMessage(&m); }, lastReceived,
                                   timeoutMs);
    }
    void closePort() { out_->closePort(); }

private:
    tunedeck::ports::RtErrors errors_;
    std::unique_ptr<RtMidiOut> out_;
    std::uint64_t epoch_ = 0;
    std::string why_;
};

#endif
