// What real-time play sends: every event of the chosen tracks with its time in
// milliseconds, and the analysed notes among them.
#ifndef TUNEDECK_PLAYLIST_H
#define TUNEDECK_PLAYLIST_H

#include "fastdetect/noteevents.h"
#include "fastdetect/openfile.h"
#include "playback/timedevents.h"

#include <cstdint>
#include <vector>

namespace tunedeck {

struct PlayList {
    std::vector<TimedEvent> events; // track by track, in file order
    std::vector<NoteEvent> notes;
};

// Every track is timed from the start of the file, with the first tempo only.
PlayList buildPlayList(const MidiFile &file, const TrackRange &tracks, bool allTracks, float msPerTick);

} // namespace tunedeck

#endif
