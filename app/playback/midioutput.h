// The MIDI output component as the window's procedures drive it: compose timed events into
// a play list, then play it. Notifications (played event with its tag, end of data, error)
// reach the window as queued signals of the concrete component.
#ifndef TUNEDECK_MIDIOUTPUT_H
#define TUNEDECK_MIDIOUTPUT_H

#include <QtGlobal>

namespace tunedeck {

class MidiOutput {
public:
    virtual ~MidiOutput() = default;

    virtual void setDevice(int device) = 0; // -1: the default output
    virtual void open() = 0;                // an empty play list on the device

    // The event being composed: time in ms from the start of play, user tag (0 = none),
    // status and data bytes; appendEvent adds it. Events may come in any time order.
    virtual void setEventTime(qint32 ms) = 0;
    virtual void setEventTag(qint32 tag) = 0;
    virtual void setEventStatus(int status) = 0;
    virtual void setEventData1(int data) = 0;
    virtual void setEventData2(int data) = 0;
    virtual void appendEvent() = 0;

    virtual void play() = 0;  // every event at its time, in time order
    virtual void stop() = 0;  // harmless when idle; silences every sounding note
    virtual void close() = 0; // drops the play list; harmless when closed
};

} // namespace tunedeck

#endif
