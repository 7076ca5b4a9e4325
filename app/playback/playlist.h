// What real-time play sends: every event of the chosen tracks with its time in
// milliseconds, and the analysed notes among them.
#ifndef TUNEDECK_PLAYLIST_H
#define TUNEDECK_PLAYLIST_H

#include "fastdetect/noteevents.h"
#include "fastdetect/openfile.h"

#include <cstdint>
#include <vector>

namespace tunedeck {

struct TimedEvent {
    std::int32_t ms = 0;
    std::uint8_t status = 0, data1 = 0, data2 = 0;
    // 1 + the index of the analysed note in PlayList::notes; 0 for every other event.
    std::int32_t tag = 0;
};

struct PlayList {
    std::vector<TimedEvent> events; // track by track, in file order
    std::vector<NoteEvent> notes;
};

// Milliseconds of a tick sum, rounded half to even, as the play list has always timed them.
std::int32_t playTime(float msPerTick, std::int32_t ticks);

// Every track is timed from the start of the file, with the first tempo only.
PlayList buildPlayList(const MidiFile &file, const TrackRange &tracks, bool allTracks, float msPerTick);

} // namespace tunedeck

#endif
