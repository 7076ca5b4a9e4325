#include "core/chords/chordframes.h"

#include <algorithm>

namespace tunedeck::chords {

std::vector<SpanNote> pairNotes(std::span<const NoteEvent> events)
{
    std::vector<SpanNote> notes;
    notes.reserve(events.size() / 2);
    // The notes sounding, in the order they began: few at a time, so a plain list serves; a
    // note struck again before its end is a second note, ended first by the first note-off.
    struct Open {
        int key; // channel * 128 + pitch
        std::int64_t start;
        int track;
    };
    std::vector<Open> open;
    std::int64_t last = 0;
    for (const NoteEvent &e : events) {
        last = std::max<std::int64_t>(last, e.tick);
        if (e.channel == 9)
            continue;
        const int key = (e.channel & 15) * 128 + (e.note & 127);
        if (e.on) {
            open.push_back({key, e.tick, e.track});
            continue;
        }
        const auto it = std::find_if(open.begin(), open.end(), [&](const Open &o) { return o.key == key; });
        if (it == open.end())
            continue;
        if (e.tick > it->start)
            notes.push_back({it->start, e.tick, key % 128, it->track});
        open.erase(it);
    }
    for (const Open &o : open)
        if (last > o.start)
            notes.push_back({o.start, last, o.key % 128, o.track});
    std::sort(notes.begin(), notes.end(), [](const SpanNote &a, const SpanNote &b) {
        return a.start != b.start ? a.start < b.start : a.pitch < b.pitch;
    });
    return notes;
}

std::vector<FrameFeatures> frameFeatures(std::span<const SpanNote> notes, std::int64_t start, std::int64_t length,
                                         std::size_t count)
{
    std::vector<FrameFeatures> frames(count);
    if (count == 0 || length <= 0)
        return frames;
    const std::int64_t end = start + length * std::int64_t(count);
    // Between two note edges the notes sounding stay the same: each such stretch is spread
    // over the frames it covers. The notes come by start; their ends are sorted apart, and
    // the two merged, an end before a start at the same time.
    std::vector<std::pair<std::int64_t, int>> starts, ends; // time, pitch
    starts.reserve(notes.size());
    ends.reserve(notes.size());
    for (const SpanNote &n : notes) {
        const std::int64_t a = std::max(n.start, start), b = std::min(n.end, end);
        if (b <= a)
            continue;
        starts.push_back({a, n.pitch});
        ends.push_back({b, n.pitch});
    }
    // The starts keep the notes' order (clipping at `start` keeps it); the order of edges at
    // one tick does not matter, as the notes sounding are read only after the last of them.
    std::sort(ends.begin(), ends.end());
    std::vector<std::pair<std::int64_t, int>> edges; // time, pitch + 1 at a start, -(pitch + 1) at an end
    edges.reserve(starts.size() * 2);
    for (std::size_t i = 0, j = 0; i < starts.size() || j < ends.size();)
        if (j < ends.size() && (i == starts.size() || ends[j].first <= starts[i].first)) {
            edges.push_back({ends[j].first, -(ends[j].second + 1)});
            ++j;
        } else {
            edges.push_back({starts[i].first, starts[i].second + 1});
            ++i;
        }
    std::array<int, 128> perNote{};
    std::array<int, 12> perClass{};
    int sounding = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const auto [t, change] = edges[i];
        const int pitch = (change > 0 ? change : -change) - 1;
        const int step = change > 0 ? 1 : -1;
        perNote[std::size_t(pitch)] += step;
        perClass[std::size_t(pitch % 12)] += step;
        sounding += step;
        const std::int64_t next = edges[i + 1].first;
        if (next <= t || sounding <= 0)
            continue;
        const auto lowest = std::size_t(std::find_if(perNote.begin(), perNote.end(), [](int c) { return c > 0; }) - perNote.begin());
        for (std::int64_t a = t; a < next;) {
            const auto f = std::size_t((a - start) / length);
            const std::int64_t b = std::min(next, start + (std::int64_t(f) + 1) * length);
            const double span = double(b - a);
            FrameFeatures &frame = frames[f];
            for (std::size_t pc = 0; pc < 12; ++pc)
                frame.sounding[pc] += perClass[pc] * span;
            frame.bass[lowest % 12] += span;
            a = b;
        }
    }
    return frames;
}

int bassOf(const FrameFeatures &frame)
{
    const auto lowest = std::max_element(frame.bass.begin(), frame.bass.end());
    return *lowest > 0 ? int(lowest - frame.bass.begin()) : -1;
}

} // namespace tunedeck::chords
