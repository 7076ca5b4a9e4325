#include "core/pianoroll/rollsources.h"

#include "core/playback/playlist.h"

#include <cmath>

namespace tunedeck {

std::optional<PianoRollData> rollOfFile(const OpenFile &file, const TrackChoice &tracks, const PlayAdjust &adjust,
                                        const ChannelMask &channels)
{
    const std::optional<TrackRange> range = file.tracks(tracks);
    if (!range)
        return std::nullopt;
    const PlayList list = buildPlayList(file.midi(), *range, tracks.all, file.msPerTick(), adjust);
    PianoRollData data = rollFromEvents(list.events);
    for (RollNote &note : data.notes)
        note.muted = !channels.heard(note.channel);
    return data;
}

std::vector<RollKey> rollKeysOfMap(const KeyMapData &map, const std::string &preferredRow, double msPerBar,
                                   double msBarOne)
{
    const KeyMapData::Row *chosen = nullptr;
    for (const KeyMapData::Row &row : map.rows)
        if (!row.segments.empty() && (!chosen || row.title == preferredRow))
            chosen = &row;
    if (!chosen)
        return {};
    if (map.unit == KeyMapUnit::Second)
        return rollKeysFromRow(*chosen);
    return rollKeysFromRow(*chosen, [msPerBar, msBarOne](std::int64_t bar) {
        return bar <= 1 ? std::int64_t(0) : std::int64_t(std::llround(msBarOne + double(bar - 1) * msPerBar));
    });
}

std::vector<RollChord> rollChords(std::span<const chords::ChordSegment> segments, double msPerTick)
{
    std::vector<RollChord> chords;
    chords.reserve(segments.size());
    const auto ms = [msPerTick](std::int64_t tick) { return std::int32_t(std::llround(double(tick) * msPerTick)); };
    for (const chords::ChordSegment &s : segments)
        if (ms(s.endTick) > ms(s.tick)) // a segment shorter than a ms has no room on any roll
            chords.push_back({ms(s.tick), ms(s.endTick), s.chord, s.keyCode, s.written, s.bar, s.beat, s.confidence});
    return chords;
}

} // namespace tunedeck
