// The channels a file plays notes on, and the instrument each starts with: what a mixer
// lists.
#ifndef TUNEDECK_CORE_MIDI_CHANNELUSE_H
#define TUNEDECK_CORE_MIDI_CHANNELUSE_H

#include <array>
#include <cstdint>

namespace tunedeck {

class MidiFile;

struct ChannelUse {
    bool notes = false; // a note-on on this channel, in any track
    int program = -1;   // the first program change, -1 when there is none (General MIDI: 0)
};

using ChannelUses = std::array<ChannelUse, 16>;

// Every track of the file.
ChannelUses channelUses(const MidiFile &file);

} // namespace tunedeck

#endif
