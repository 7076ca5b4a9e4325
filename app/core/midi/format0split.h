// A format 0 file (one track holding every channel) read as a format 1 file would hold it.
#ifndef TUNEDECK_CORE_MIDI_FORMAT0SPLIT_H
#define TUNEDECK_CORE_MIDI_FORMAT0SPLIT_H

#include "core/midi/midifile.h"

#include <vector>

namespace tunedeck {

// The tracks as a format 1 file would hold them: first a track with every meta and
// system-exclusive event, then one track per channel used, lowest channel first, so that
// "Track 01" is the lowest channel. Every event keeps its absolute tick; each channel track
// ends with an End of Track at the tick where the file ends. A file with several tracks
// (which format 0 does not allow) has them merged by tick first.
std::vector<MidiTrack> splitFormat0(const std::vector<MidiTrack> &tracks);
std::vector<MidiTrack> splitFormat0(const MidiFile &file);

} // namespace tunedeck

#endif
