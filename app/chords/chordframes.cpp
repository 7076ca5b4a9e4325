#include "chords/chordframes.h"

#include "profile/chords.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>

namespace tunedeck::chords {

std::vector<SpanNote> pairNotes(std::span<const NoteEvent> events)
{
    std::vector<SpanNote> notes;
    std::map<int, std::deque<std::int64_t>> open; // channel * 128 + pitch: starts still sounding
    std::int64_t last = 0;
    for (const NoteEvent &e : events) {
        last = std::max<std::int64_t>(last, e.tick);
        if (e.channel == 9)
            continue;
        auto &starts = open[e.channel * 128 + e.note];
        if (e.on) {
            starts.push_back(e.tick);
        } else if (!starts.empty()) {
            if (e.tick > starts.front())
                notes.push_back({starts.front(), e.tick, e.note});
            starts.pop_front();
        }
    }
    for (const auto &[key, starts] : open)
        for (std::int64_t start : starts)
            if (last > start)
                notes.push_back({start, last, key % 128});
    std::sort(notes.begin(), notes.end(), [](const SpanNote &a, const SpanNote &b) {
        return a.start != b.start ? a.start < b.start : a.pitch < b.pitch;
    });
    return notes;
}

FrameFeatures spanFeatures(std::span<const SpanNote> notes, std::int64_t from, std::int64_t to)
{
    FrameFeatures f;
    f.length = double(std::max<std::int64_t>(to - from, 0));
    std::vector<std::pair<std::int64_t, int>> edges; // time, +pitch+1 for a start, -(pitch+1) for an end
    for (const SpanNote &n : notes) {
        if (n.start >= to)
            break;
        const std::int64_t a = std::max(n.start, from), b = std::min(n.end, to);
        if (b <= a)
            continue;
        f.sounding[std::size_t(n.pitch % 12)] += double(b - a);
        edges.push_back({a, n.pitch + 1});
        edges.push_back({b, -(n.pitch + 1)});
    }
    std::sort(edges.begin(), edges.end());
    std::array<int, 128> count{};
    int sounding = 0;
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const auto [t, change] = edges[i];
        count[std::size_t(std::abs(change) - 1)] += change > 0 ? 1 : -1;
        sounding += change > 0 ? 1 : -1;
        const std::int64_t next = i + 1 < edges.size() ? edges[i + 1].first : t;
        if (next <= t || sounding <= 0)
            continue;
        const auto lowest = std::size_t(std::find_if(count.begin(), count.end(), [](int c) { return c > 0; }) - count.begin());
        f.bass[lowest % 12] += double(next - t);
        f.soundingTime += double(next - t);
    }
    return f;
}

Chord spanChord(std::span<const SpanNote> notes, std::int64_t from, std::int64_t to)
{
    const FrameFeatures f = spanFeatures(notes, from, to);
    profile::WindowDurations w;
    for (std::size_t pc = 0; pc < 12; ++pc) {
        w.sounding[pc] = std::llround(f.sounding[pc]);
        w.bass[pc] = std::llround(f.bass[pc]);
    }
    const profile::Chord c = profile::windowChord(w);
    if (c.root < 0)
        return {};
    static constexpr std::array<Quality, 8> Map = {Quality::Major, Quality::Minor, Quality::Diminished,
                                                   Quality::Dominant7, Quality::Minor7, Quality::Major7,
                                                   Quality::HalfDiminished7, Quality::Diminished7};
    return {c.root, Map[std::size_t(c.quality)], 0};
}

} // namespace tunedeck::chords
