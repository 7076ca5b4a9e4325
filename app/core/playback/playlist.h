// What real-time play sends: every event of the chosen tracks with its time in
// milliseconds, and the analysed notes among them.
#ifndef TUNEDECK_CORE_PLAYBACK_PLAYLIST_H
#define TUNEDECK_CORE_PLAYBACK_PLAYLIST_H

#include "core/base/playadjust.h"
#include "core/midi/noteevents.h"
#include "core/fastdetect/openfile.h"
#include "core/playback/timedevents.h"

#include <cstdint>
#include <vector>

namespace tunedeck {

struct PlayList {
    std::vector<TimedEvent> events; // track by track, in file order
    std::vector<NoteEvent> notes;
    int leftOut = 0; // note-ons the transposition pushed out of 1..127
    int noteZeroLeftOut = 0; // note-ons of note 0: they sound, but the library refuses them
};

// Every track is timed from the start of the file, with the first tempo only, at the
// adjust's tempo. Its transposition moves every pitched event (playadjust.h); an event
// pushed out of range is left out of the list, heard by nobody, and so are the notes of the
// channels muted. A note 0 sounds but is no analysed note: the library refuses it.
PlayList buildPlayList(const MidiFile &file, const TrackRange &tracks, bool allTracks, float msPerTick,
                       const PlayAdjust &adjust = {}, const ChannelMask &channels = {});

} // namespace tunedeck

#endif
