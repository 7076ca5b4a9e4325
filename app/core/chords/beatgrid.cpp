#include "core/chords/beatgrid.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tunedeck::chords {

namespace {

constexpr int Bins = 96;       // positions within a beat the onsets are counted in
constexpr double Spread = 3;   // bins: an onset counts for its neighbours too, as played notes scatter

} // namespace

BeatGrid findBeats(std::span<const SpanNote> notes, int ticksPerQuarter)
{
    BeatGrid grid;
    grid.ticksPerBeat = std::max(ticksPerQuarter, 1);
    const std::int64_t beat = grid.ticksPerBeat;
    std::array<double, Bins> count{};
    for (const SpanNote &n : notes) {
        const std::int64_t at = (n.start % beat + beat) % beat;
        count[std::size_t(at * Bins / beat)] += double(std::min(n.end - n.start, beat));
    }
    std::array<double, Bins> smooth{};
    const int reach = int(3 * Spread);
    for (int b = 0; b < Bins; ++b)
        for (int d = -reach; d <= reach; ++d)
            smooth[std::size_t(b)] += count[std::size_t((b + d + Bins) % Bins)] * std::exp(-0.5 * d * d / (Spread * Spread));
    const int best = int(std::max_element(smooth.begin(), smooth.end()) - smooth.begin());
    // The onsets near the best bin place the phase to the tick: their weighted mean offset.
    double sum = 0, weight = 0;
    const double centre = (best + 0.5) * double(beat) / Bins;
    for (const SpanNote &n : notes) {
        double offset = double((n.start % beat + beat) % beat) - centre; // into (-beat / 2, beat / 2]
        if (offset > double(beat) / 2)
            offset -= double(beat);
        else if (offset <= -double(beat) / 2)
            offset += double(beat);
        if (std::abs(offset) <= Spread * double(beat) / Bins) {
            const double w = double(std::min(n.end - n.start, beat));
            sum += w * offset;
            weight += w;
        }
    }
    const double phase = centre + (weight > 0 ? sum / weight : 0);
    grid.phase = (std::llround(phase) % beat + beat) % beat;
    return grid;
}

} // namespace tunedeck::chords
