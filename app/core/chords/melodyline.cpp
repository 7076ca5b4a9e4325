#include "core/chords/melodyline.h"

#include <algorithm>

namespace tunedeck::chords {

namespace {

constexpr double MaxLineOverlap = 0.05;
constexpr double MinChordOverlap = 0.2;

struct TrackFigures {
    int track = 0;
    std::int64_t lastEnd = 0;
    double sounding = 0; // time at least one of its notes sounds
    double overlap = 0;  // time a note sounds under an earlier one still sounding
    double pitchSum = 0;
    int count = 0;
    double overlapShare() const { return sounding > 0 ? overlap / sounding : 0; }
    double meanPitch() const { return count > 0 ? pitchSum / count : 0; }
};

} // namespace

std::vector<int> melodyTracks(std::span<const SpanNote> notes)
{
    std::vector<TrackFigures> tracks; // few: a plain list serves
    for (const SpanNote &n : notes) {
        auto t = std::find_if(tracks.begin(), tracks.end(), [&](const TrackFigures &f) { return f.track == n.track; });
        if (t == tracks.end())
            t = tracks.insert(tracks.end(), TrackFigures{n.track, n.start});
        t->sounding += double(std::max<std::int64_t>(n.end - std::max(n.start, t->lastEnd), 0));
        t->overlap += double(std::max<std::int64_t>(std::min(n.end, t->lastEnd) - n.start, 0));
        t->lastEnd = std::max(t->lastEnd, n.end);
        t->pitchSum += n.pitch;
        ++t->count;
    }
    std::vector<int> lines;
    const bool chords = std::any_of(tracks.begin(), tracks.end(),
                                    [](const TrackFigures &t) { return t.overlapShare() >= MinChordOverlap; });
    if (!chords || tracks.size() < 2)
        return lines;
    double lowest = 128;
    for (const TrackFigures &t : tracks)
        lowest = std::min(lowest, t.meanPitch());
    for (const TrackFigures &t : tracks)
        if (t.overlapShare() <= MaxLineOverlap && t.meanPitch() > lowest)
            lines.push_back(t.track);
    return lines;
}

std::vector<SpanNote> passingNotes(std::span<const SpanNote> notes, const BeatGrid &grid)
{
    std::vector<SpanNote> out;
    const std::vector<int> lines = melodyTracks(notes);
    if (lines.empty())
        return out;
    for (const SpanNote &n : notes)
        if (std::find(lines.begin(), lines.end(), n.track) != lines.end()
            && (!grid.onBeat(n.start) || n.end - n.start < grid.ticksPerBeat))
            out.push_back(n);
    return out;
}

void discount(std::vector<FrameFeatures> &frames, std::int64_t start, std::int64_t length,
              std::span<const SpanNote> notes, double share)
{
    if (length <= 0 || frames.empty())
        return;
    const std::int64_t end = start + length * std::int64_t(frames.size());
    for (const SpanNote &n : notes)
        for (std::int64_t a = std::max(n.start, start), stop = std::min(n.end, end); a < stop;) {
            const auto f = std::size_t((a - start) / length);
            const std::int64_t b = std::min(stop, start + (std::int64_t(f) + 1) * length);
            double &sounding = frames[f].sounding[std::size_t(n.pitch % 12)];
            sounding = std::max(sounding - share * double(b - a), 0.0);
            a = b;
        }
}

} // namespace tunedeck::chords
