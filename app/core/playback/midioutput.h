// The MIDI output component as the window's procedures drive it: compose timed events into
// a play list, then play it. Notifications (played event with its tag, end of data, error)
// reach the window as queued signals of the concrete component.
#ifndef TUNEDECK_CORE_PLAYBACK_MIDIOUTPUT_H
#define TUNEDECK_CORE_PLAYBACK_MIDIOUTPUT_H

#include "core/playback/timedevents.h"

namespace tunedeck {

class MidiOutput {
public:
    virtual ~MidiOutput() = default;

    virtual void open() = 0; // an empty play list

    // Adds an event to the play list with its time (one before the start plays at the
    // start), tag (0 = none), status and data bytes; its track is not used. Events may come
    // in any time order.
    virtual void append(const TimedEvent &event) = 0;

    virtual void play() = 0;  // every event at its time, in time order
    // From ms of the list on, as a seek goes on: every note off first, the channels'
    // controllers and programs sent before ms at once, then the events from ms, timed from it.
    virtual void playFrom(std::int32_t ms) = 0;
    virtual void stop() = 0;  // harmless when idle; silences every sounding note
    virtual void close() = 0; // drops the play list; harmless when closed
};

} // namespace tunedeck

#endif
