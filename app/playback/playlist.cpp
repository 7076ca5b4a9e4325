#include "playback/playlist.h"

#include "fastdetect/midifile.h"

#include <algorithm>

namespace tunedeck {

PlayList buildPlayList(const MidiFile &file, const TrackRange &tracks, bool allTracks, float msPerTick)
{
    PlayList list;
    const auto &all = file.tracks();
    for (std::int32_t t = std::max(tracks.first, 1); t <= tracks.last && t <= std::int32_t(all.size()); ++t) {
        std::int32_t tick = 0;
        for (const MidiEvent &ev : all[std::size_t(t - 1)].events) {
            tick += std::int32_t(ev.delta);
            TimedEvent timed{playTime(msPerTick, tick), ev.status, ev.data1, ev.data2, t, 0};
            if (analysedNote(ev.status, allTracks)) {
                list.notes.push_back(makeNoteEvent(tick, ev.status, ev.data1, ev.data2, t));
                timed.tag = std::int32_t(list.notes.size());
            }
            list.events.push_back(timed);
        }
    }
    return list;
}

} // namespace tunedeck
