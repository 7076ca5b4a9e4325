// A play list's event as plain data: its time in ms from the start of play, as the play
// list has always timed it. Playing and rendering both start from these.
#ifndef TUNEDECK_CORE_PLAYBACK_TIMEDEVENTS_H
#define TUNEDECK_CORE_PLAYBACK_TIMEDEVENTS_H

#include <cstdint>
#include <vector>

namespace tunedeck {

struct TimedEvent {
    std::int32_t ms = 0;      // from the start of play
    std::uint8_t status = 0;  // any event of the file: channel message, meta (0xFF), sysex
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::int32_t track = 0;   // the file's track number, 1 for the tempo track
    // Real-time play: 1 + the index of the analysed note in PlayList::notes; 0 for every
    // other event.
    std::int32_t tag = 0;

    friend bool operator==(const TimedEvent &, const TimedEvent &) = default;
};

// Only channel messages reach an output. Meta events (0xFF would reset a synthesizer),
// system exclusive and the other system messages keep their time and notification.
constexpr bool isChannelMessage(std::uint8_t status)
{
    return status >= 0x80 && status < 0xF0;
}

// Program change and channel pressure; every other channel message has two.
constexpr bool hasOneDataByte(std::uint8_t status)
{
    return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0;
}

// The milliseconds of a tick sum, rounded half to even; at another tempo, the time played
// at that percentage of the file's.
std::int32_t playTime(float msPerTick, std::int32_t tickSum);
std::int32_t playTime(float msPerTick, std::int32_t tickSum, int tempoPercent);

// What an output receives of events, in the order it receives it: channel messages only, by
// time, equal times in list order; data bytes 0..127, the second 0 where there is none.
std::vector<TimedEvent> channelMessagesInPlayOrder(const std::vector<TimedEvent> &events);

} // namespace tunedeck

#endif
