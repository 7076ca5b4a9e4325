#include "core/midi/channeluse.h"

#include "core/midi/trackwalk.h"

#include <limits>

namespace tunedeck {

ChannelUses channelUses(const MidiFile &file)
{
    ChannelUses uses;
    // The first program change in time, wherever its track stands in the file.
    std::array<std::int32_t, 16> programTick;
    programTick.fill(std::numeric_limits<std::int32_t>::max());
    walkTracks(file, 1, std::int32_t(file.tracks().size()), [&](std::int32_t tick, std::int32_t, const MidiEvent &ev) {
        const int kind = ev.status & 0xF0, channel = ev.status & 0x0F;
        if (kind == 0x90 && ev.data2 > 0)
            uses[std::size_t(channel)].notes = true;
        else if (kind == 0xC0 && tick < programTick[std::size_t(channel)]) {
            programTick[std::size_t(channel)] = tick;
            uses[std::size_t(channel)].program = ev.data1;
        }
        return true;
    });
    return uses;
}

} // namespace tunedeck
