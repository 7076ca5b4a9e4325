#include "playback/playlist.h"

#include "fastdetect/trackwalk.h"

namespace tunedeck {

PlayList buildPlayList(const MidiFile &file, const TrackRange &tracks, bool allTracks, float msPerTick)
{
    PlayList list;
    walkTracks(file, tracks.first, tracks.last, [&](std::int32_t tick, std::int32_t track, const MidiEvent &ev) {
        TimedEvent timed{playTime(msPerTick, tick), ev.status, ev.data1, ev.data2, track, 0};
        if (analysedNote(ev.status, allTracks)) {
            list.notes.push_back(makeNoteEvent(tick, ev.status, ev.data1, ev.data2, track));
            timed.tag = std::int32_t(list.notes.size());
        }
        list.events.push_back(timed);
        return true;
    });
    return list;
}

} // namespace tunedeck
