#include "core/pianoroll/pianorolldata.h"

#include <algorithm>
#include <climits>

namespace tunedeck {

PianoRollData rollFromEvents(std::span<const TimedEvent> events)
{
    PianoRollData data;
    // The notes sounding, per channel and pitch, as indices into data.notes, earliest first.
    std::vector<std::vector<std::size_t>> sounding(16 * 128);
    std::int32_t last = 0;
    for (const TimedEvent &e : events) {
        last = std::max(last, e.ms);
        const int kind = e.status & 0xF0;
        if (kind != 0x80 && kind != 0x90)
            continue;
        const std::uint8_t channel = e.status & 0x0F;
        const std::uint8_t pitch = e.data1 & 0x7F;
        auto &open = sounding[channel * 128 + pitch];
        if (kind == 0x90 && e.data2 > 0) {
            open.push_back(data.notes.size());
            data.notes.push_back({e.ms, e.ms, pitch, channel});
        } else if (!open.empty()) {
            data.notes[open.front()].endMs = e.ms;
            open.erase(open.begin());
        }
    }
    for (const auto &open : sounding)
        for (std::size_t i : open)
            data.notes[i].endMs = last;
    data.endMs = last;

    int low = 127, high = 0;
    for (RollNote &n : data.notes) {
        n.endMs = std::max(n.endMs, n.startMs + 1);
        data.longestMs = std::max(data.longestMs, n.endMs - n.startMs);
        low = std::min(low, int(n.pitch));
        high = std::max(high, int(n.pitch));
    }
    // Tracks come one after another, so the notes are sorted here; stable keeps a track's
    // order among notes of one start and pitch.
    std::stable_sort(data.notes.begin(), data.notes.end(), [](const RollNote &a, const RollNote &b) {
        return a.startMs != b.startMs ? a.startMs < b.startMs : a.pitch < b.pitch;
    });
    if (low > high)
        low = high = 60;
    // At least an octave, so that a few notes are not drawn as tall bars.
    const int widen = std::max(0, 11 - (high - low));
    low = std::max(0, low - widen / 2);
    high = std::min(127, std::max(high + (widen - widen / 2), low + 11));
    data.lowPitch = low;
    data.highPitch = high;
    return data;
}

std::vector<std::size_t> notesIn(const PianoRollData &data, std::int32_t fromMs, std::int32_t toMs)
{
    std::vector<std::size_t> found;
    forEachNoteIn(data, fromMs, toMs, [&](std::size_t i, const RollNote &) { found.push_back(i); });
    return found;
}

std::vector<RollKey> rollKeysFromRow(const KeyMapData::Row &row,
                                     const std::function<std::int64_t(std::int64_t)> &msOf)
{
    const auto start = [&](std::int64_t position) -> std::int32_t {
        const std::int64_t ms = msOf ? msOf(position) : position * 1000;
        return std::int32_t(std::clamp<std::int64_t>(ms, 0, INT32_MAX));
    };
    std::vector<RollKey> keys;
    for (const KeyMapSegment &s : row.segments) {
        if (s.keyCode == 0)
            continue;
        const RollKey key{start(s.firstBar), start(s.lastBar + 1), s.keyCode, s.unsure};
        if (key.endMs > key.startMs)
            keys.push_back(key);
    }
    return keys;
}

int rollKeyAt(const PianoRollData &data, std::int32_t ms)
{
    const auto it = std::upper_bound(data.keys.begin(), data.keys.end(), ms,
                                     [](std::int32_t t, const RollKey &k) { return t < k.startMs; });
    if (it == data.keys.begin())
        return 0;
    const RollKey &k = *(it - 1);
    return ms < k.endMs ? k.keyCode : 0;
}

} // namespace tunedeck
