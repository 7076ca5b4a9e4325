#include "core/chords/bargrid.h"

#include "core/chords/bartracker.h"
#include "core/chords/chordframes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <vector>

namespace tunedeck::chords {

namespace {

constexpr std::array<int, 2> Meters = {4, 3}; // quarter notes a bar; two-beat bars read as four
// The meter is chosen on these, the phase then tracked on the fitted ones.
constexpr BarWeights MeterWeights{{BeatEvidence{}, {}, {}, {1, 1, 1, 0.5}, {}, {}, {}}, 0};
constexpr double StatedFavour = 1.25; // the stated meter wins unless another's contrast is this much more
// Notes that stress no beat more than another (a chord struck on every beat) show no bars:
// below this contrast, four beats from the first.
constexpr double LeastContrast = 0.05;
// The beats read at most, from the first: hours of music, and memory bounded whatever the
// file's ticks say.
constexpr std::int64_t MaxBeats = 1 << 16;

// How much each beat looks like a downbeat: its evidence and its neighbours' weighed.
std::vector<double> beatStrength(const std::vector<BeatEvidence> &evidence, const BarWeights &w)
{
    const std::ptrdiff_t count = std::ptrdiff_t(evidence.size());
    std::vector<double> strength(evidence.size());
    for (std::ptrdiff_t k = 0; k < count; ++k) {
        double s = 0;
        for (std::ptrdiff_t d = -BarWeights::Reach; d <= BarWeights::Reach; ++d) {
            if (k + d < 0 || k + d >= count)
                continue;
            const BeatEvidence &weights = w.evidence[std::size_t(d + BarWeights::Reach)], &e = evidence[std::size_t(k + d)];
            for (std::size_t c = 0; c < EvidenceCount; ++c)
                s += weights[c] * e[c];
        }
        strength[std::size_t(k)] = s;
    }
    return strength;
}

struct Placing {
    int quarters = 4;
    int offset = 0;
    double contrast = 0; // the downbeats' mean strength over every beat's, as a share of it
};

Placing bestOffset(const std::vector<double> &strength, int quarters)
{
    Placing best{quarters, 0, -1};
    const double all = std::accumulate(strength.begin(), strength.end(), 0.0) / double(std::max<std::size_t>(strength.size(), 1));
    for (int o = 0; o < quarters; ++o) {
        double s = 0;
        int n = 0;
        for (std::size_t k = std::size_t(o); k < strength.size(); k += std::size_t(quarters)) {
            s += strength[k];
            ++n;
        }
        const double contrast = n > 0 && all > 0 ? (s / n - all) / all : 0;
        if (contrast > best.contrast)
            best = {quarters, o, contrast};
    }
    return best;
}

// The bar lines from the tracked downbeats: the first is bar 1's. A last bar cut short is
// left to run on: no bar after it bears its shift out.
std::vector<std::int64_t> barLines(const std::vector<std::size_t> &downbeats, const BeatGrid &beats, int quarters)
{
    std::vector<std::int64_t> lines;
    for (std::size_t k : downbeats)
        lines.push_back(beats.phase + std::int64_t(k) * beats.ticksPerBeat);
    if (lines.size() >= 2 && lines.back() - lines[lines.size() - 2] < quarters * beats.ticksPerBeat)
        lines.pop_back();
    return lines;
}

} // namespace

BarGrid findBars(std::span<const SpanNote> notes, const BeatGrid &beats, int statedQuarters, const BarWeights &weights)
{
    BarGrid bars{0, false, 4 * beats.ticksPerBeat, {}};
    if (notes.empty())
        return bars;
    BarEvidence::Wanted wanted{};
    for (const BarWeights *w : {&MeterWeights, &weights})
        for (const BeatEvidence &e : w->evidence)
            for (std::size_t c = 0; c < EvidenceCount; ++c)
                wanted[c] = wanted[c] || e[c] != 0;
    const BarEvidence evidence(notes, beats, MaxBeats, wanted);
    Placing chosen{4, 0, 0};
    double chosenScore = LeastContrast;
    for (int quarters : Meters) {
        const Placing p = bestOffset(beatStrength(evidence.forBars(std::size_t(quarters)), MeterWeights), quarters);
        const double score = p.contrast * (quarters == statedQuarters ? StatedFavour : 1);
        if (score > chosenScore) {
            chosen = p;
            chosenScore = score;
        }
    }
    bars.ticksPerBar = chosen.quarters * beats.ticksPerBeat;
    bars.start = beats.phase + chosen.offset * beats.ticksPerBeat;
    // Music on the file's own beats, in the meter it states if it states one, was written to a
    // meter (a score's export): its bars keep one length, a chorale's fermatas make no bars of six.
    const bool written = (statedQuarters == 0 || chosen.quarters == statedQuarters) && beats.phase % beats.ticksPerBeat == 0;
    if (chosenScore > LeastContrast && !written) {
        std::vector<double> strength = beatStrength(evidence.forBars(std::size_t(chosen.quarters)), weights);
        const double mean = std::accumulate(strength.begin(), strength.end(), 0.0) / double(strength.size());
        for (double &s : strength)
            s -= mean;
        bars.lines = barLines(trackDownbeats(strength, chosen.quarters, weights.shift), beats, chosen.quarters);
        if (!bars.lines.empty())
            bars.start = bars.lines.front();
    }
    bars.pickup = notes.front().start < bars.start - beats.ticksPerBeat / 8;
    return bars;
}

} // namespace tunedeck::chords
