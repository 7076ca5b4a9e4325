#include "core/chords/inversions.h"

#include <algorithm>
#include <array>

namespace tunedeck::chords {

namespace {

// The lowest notes a frame is read by: its bass line's note for all its bass time where it
// has one, else the lowest note of each moment.
std::array<double, 12> basses(const std::vector<FrameFeatures> &frames, std::span<const std::int8_t> line, std::size_t f)
{
    if (f >= line.size() || line[f] < 0)
        return frames[f].bass;
    std::array<double, 12> out{};
    for (double t : frames[f].bass)
        out[std::size_t(line[f])] += t;
    return out;
}

// The chord tone other than the root that holds the segment's bass, if one holds enough of it.
int inversion(const harmony::Chord &chord, const std::vector<FrameFeatures> &frames, std::span<const std::int8_t> line,
              std::size_t from, std::size_t to, const BassReading &reading)
{
    if (chord.none())
        return 0;
    std::array<double, 12> bass{};
    double total = 0;
    for (std::size_t f = from; f < to; ++f) {
        const std::array<double, 12> here = basses(frames, line, f);
        for (std::size_t pc = 0; pc < 12; ++pc) {
            const double t = (f == from ? 1 + reading.firstOnset : 1) * here[pc];
            bass[pc] += t;
            total += t;
        }
    }
    if (total <= 0)
        return 0;
    const auto lowest = std::size_t(std::max_element(bass.begin(), bass.end()) - bass.begin());
    if (bass[lowest] < reading.inversionShare * total)
        return 0;
    const int interval = (int(lowest) - chord.root + 12) % 12;
    const auto tones = harmony::intervals(chord.quality);
    return std::find(tones.begin() + 1, tones.end(), interval) != tones.end() ? interval : 0;
}

} // namespace

std::vector<BassRun> bassRuns(const harmony::Chord &chord, const std::vector<FrameFeatures> &frames,
                              std::span<const std::int8_t> line, std::size_t from, std::size_t to,
                              const BassReading &reading)
{
    std::vector<BassRun> runs;
    if (chord.none())
        return {{from, to, 0}};
    const auto tones = harmony::intervals(chord.quality);
    std::vector<int> tone(to - from, -1);
    for (std::size_t f = from; f < to; ++f) {
        const std::array<double, 12> &bass = frames[f].bass;
        const auto lowest = std::max_element(bass.begin(), bass.end());
        if (*lowest <= 0)
            continue;
        const int interval = (int(lowest - bass.begin()) - chord.root + 12) % 12;
        if (std::find(tones.begin(), tones.end(), interval) != tones.end())
            tone[f - from] = interval;
    }
    // The parts: runs of one tone, frames without one joining the part before.
    std::vector<BassRun> parts;
    for (std::size_t f = from; f < to; ++f) {
        const int t = tone[f - from];
        if (parts.empty() || (t >= 0 && t != parts.back().bass && parts.back().bass >= 0))
            parts.push_back({f, f + 1, t});
        else {
            parts.back().to = f + 1;
            if (parts.back().bass < 0)
                parts.back().bass = t;
        }
    }
    // Shorter parts are passing basses: they join the part before (the first, the next).
    for (const BassRun &p : parts) {
        if (!runs.empty() && p.to - p.from < reading.minFrames)
            runs.back().to = p.to;
        else if (runs.size() == 1 && runs.back().to - runs.back().from < reading.minFrames)
            runs.back() = {runs.back().from, p.to, p.bass};
        else
            runs.push_back(p);
    }
    for (BassRun &r : runs)
        r.bass = inversion(chord, frames, {}, r.from, r.to, {reading.minFrames, reading.inversionShare, 0});
    // Neighbours that came out in one inversion are one segment again.
    std::vector<BassRun> merged;
    for (const BassRun &r : runs)
        if (!merged.empty() && merged.back().bass == r.bass)
            merged.back().to = r.to;
        else
            merged.push_back(r);
    // Where the segments stand is the moment's bass' to say; a bass line, where read, then
    // says each one's inversion.
    if (!line.empty() || reading.firstOnset > 0)
        for (BassRun &r : merged)
            r.bass = inversion(chord, frames, line, r.from, r.to, reading);
    return merged;
}

} // namespace tunedeck::chords
