#include "core/playback/playlist.h"

#include "core/midi/trackwalk.h"

namespace tunedeck {

PlayList buildPlayList(const MidiFile &file, const TrackRange &tracks, bool allTracks, float msPerTick,
                       const PlayAdjust &adjust, const ChannelMask &channels)
{
    PlayList list;
    walkTracks(file, tracks.first, tracks.last, [&](std::int32_t tick, std::int32_t track, const MidiEvent &ev) {
        TimedEvent timed{playTime(msPerTick, tick, adjust.tempoPercent), ev.status, ev.data1, ev.data2, track, 0};
        const int kind = ev.status & 0xF0;
        if ((kind == 0x80 || kind == 0x90 || kind == 0xA0) && !channels.heard(ev.status))
            return true;
        const int noteOn = kind == 0x90 && ev.data2 > 0 ? 1 : 0;
        if (carriesPitch(ev.status)) {
            const std::optional<std::uint8_t> note = transposedNote(ev.data1, adjust.transpose);
            if (!note) {
                list.leftOut += noteOn;
                return true;
            }
            timed.data1 = *note;
        }
        if (analysedNote(ev.status, allTracks)) {
            if (libraryTakesNote(timed.data1)) {
                list.notes.push_back(makeNoteEvent(tick, ev.status, timed.data1, ev.data2, track));
                timed.tag = std::int32_t(list.notes.size());
            } else {
                list.noteZeroLeftOut += noteOn;
            }
        }
        list.events.push_back(timed);
        return true;
    });
    return list;
}

} // namespace tunedeck
