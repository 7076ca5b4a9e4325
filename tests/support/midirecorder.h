// Every message with its arrival time: what a play or live input sends through, or, with a
// port, what a test client's receiving port on the JACK server gets.
#ifndef TUNEDECK_TESTS_MIDIRECORDER_H
#define TUNEDECK_TESTS_MIDIRECORDER_H

#include "core/playback/midisink.h"

#include <RtMidi.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

struct MidiRecorder : tunedeck::MidiSink {
    using Bytes = std::vector<unsigned char>;
    using Clock = std::chrono::steady_clock;

    explicit MidiRecorder(const char *client = nullptr)
    {
        if (!client)
            return;
        in = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, client);
        in->setCallback([](double, Bytes *m, void *self) { static_cast<MidiRecorder *>(self)->record(*m); }, this);
        in->openVirtualPort("in");
    }
    bool send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override
    {
        record({status, data1, data2});
        return true;
    }
    void allOff() override {}
    void record(const Bytes &m)
    {
        std::lock_guard lock(mutex);
        messages.push_back(m);
        times.push_back(Clock::now());
    }
    std::size_t count()
    {
        std::lock_guard lock(mutex);
        return messages.size();
    }
    std::vector<Bytes> received()
    {
        std::lock_guard lock(mutex);
        return messages;
    }
    Bytes last()
    {
        std::lock_guard lock(mutex);
        return messages.empty() ? Bytes() : messages.back();
    }
    std::mutex mutex;
    std::vector<Bytes> messages;
    std::vector<Clock::time_point> times;
    std::unique_ptr<RtMidiIn> in;
};

#endif
