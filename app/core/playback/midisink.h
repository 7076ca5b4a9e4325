// Where the play list's channel messages go: the built-in synthesizer, nothing at all
// (no sound), or a recorder in tests and measurements.
#ifndef TUNEDECK_CORE_PLAYBACK_MIDISINK_H
#define TUNEDECK_CORE_PLAYBACK_MIDISINK_H

#include <chrono>
#include <cstdint>
#include <string>

namespace tunedeck {

class MidiSink {
public:
    virtual ~MidiSink() = default;

    // Called on the playing thread with the instant event times count from, before the
    // first event of a play.
    virtual void started(std::chrono::steady_clock::time_point) {}

    // One channel message (status 0x80..0xEF, data bytes 0..127; the second is 0 for
    // program change and channel pressure). Called on the playing thread. False when the
    // output failed; the play goes on.
    virtual bool send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) = 0;

    // Why send failed, for the user ("the MIDI port X has gone"); empty when it has not or
    // the sink cannot tell.
    virtual std::string failure() const { return {}; }

    // Silences everything at once: pedals released, all notes off and all sound off on the
    // 16 channels. Called on the owning thread once the playing thread has ended.
    virtual void allOff() = 0;

    // The master volume, 0..100 % of the sink's own level. Only the built-in synthesizer has
    // one; a port's volume is the device's.
    virtual void setVolume(int /*percent*/) {}
};

// Plays nothing: the play list keeps its timing and notifications without sound.
class NullSink : public MidiSink {
public:
    bool send(std::uint8_t, std::uint8_t, std::uint8_t) override { return true; }
    void allOff() override {}
};

} // namespace tunedeck

#endif
