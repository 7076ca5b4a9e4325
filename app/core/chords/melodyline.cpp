#include "core/chords/melodyline.h"

#include <algorithm>
#include <map>

namespace tunedeck::chords {

namespace {

constexpr double MaxLineOverlap = 0.05;
constexpr double MinChordOverlap = 0.2;

struct TrackFigures {
    double sounding = 0; // time at least one of its notes sounds
    double overlap = 0;  // time two or more do
    double pitchSum = 0;
    int count = 0;
    double overlapShare() const { return sounding > 0 ? overlap / sounding : 0; }
    double meanPitch() const { return count > 0 ? pitchSum / count : 0; }
};

// Sounding and overlapping time of one track's notes, sorted by start.
void addOverlap(TrackFigures &t, const std::vector<const SpanNote *> &notes)
{
    std::vector<std::pair<std::int64_t, int>> edges;
    edges.reserve(notes.size() * 2);
    for (const SpanNote *n : notes) {
        edges.push_back({n->start, 1});
        edges.push_back({n->end, -1});
    }
    std::sort(edges.begin(), edges.end());
    int open = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        open += edges[i].second;
        const double span = double(edges[i + 1].first - edges[i].first);
        if (open >= 1)
            t.sounding += span;
        if (open >= 2)
            t.overlap += span;
    }
}

} // namespace

std::vector<int> melodyTracks(const std::vector<SpanNote> &notes)
{
    std::map<int, std::vector<const SpanNote *>> byTrack;
    for (const SpanNote &n : notes)
        byTrack[n.track].push_back(&n);
    if (byTrack.size() < 2)
        return {};
    std::map<int, TrackFigures> figures;
    for (const auto &[track, own] : byTrack) {
        TrackFigures &t = figures[track];
        addOverlap(t, own);
        for (const SpanNote *n : own) {
            t.pitchSum += n->pitch;
            ++t.count;
        }
    }
    bool chords = false;
    double lowest = 128;
    for (const auto &[track, t] : figures) {
        chords = chords || t.overlapShare() >= MinChordOverlap;
        lowest = std::min(lowest, t.meanPitch());
    }
    std::vector<int> lines;
    if (!chords)
        return lines;
    for (const auto &[track, t] : figures)
        if (t.overlapShare() <= MaxLineOverlap && t.meanPitch() > lowest)
            lines.push_back(track);
    return lines;
}

bool weighMelodyLines(std::vector<SpanNote> &notes, const BeatGrid &grid, double weight)
{
    if (weight == 1)
        return false;
    const std::vector<int> lines = melodyTracks(notes);
    bool weighed = false;
    for (SpanNote &n : notes)
        if (std::find(lines.begin(), lines.end(), n.track) != lines.end()
            && (!grid.onBeat(n.start) || n.end - n.start < grid.ticksPerBeat)) {
            n.weight = weight;
            weighed = true;
        }
    return weighed;
}

} // namespace tunedeck::chords
