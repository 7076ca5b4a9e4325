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
constexpr BarWeights MeterWeights{1, 1, 1, 0.5, 0};
constexpr double StatedFavour = 1.25; // the stated meter wins unless another's contrast is this much more
// Notes that stress no beat more than another (a chord struck on every beat) show no bars:
// below this contrast, four beats from the first.
constexpr double LeastContrast = 0.05;
// The beats read at most, from the first: hours of music, and memory bounded whatever the
// file's ticks say.
constexpr std::int64_t MaxBeats = 1 << 16;

using Chroma = std::array<double, 12>;

double distance(const Chroma &a, const Chroma &b)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < 12; ++i) {
        ab += a[i] * b[i];
        aa += a[i] * a[i];
        bb += b[i] * b[i];
    }
    return aa > 0 && bb > 0 ? 1 - ab / std::sqrt(aa * bb) : 0;
}

// Sums of the beats' chroma (sounding, then bass) from beat 0: [k] holds beats before k.
struct Running {
    std::vector<Chroma> sounding, bass;
    Chroma over(const std::vector<Chroma> &sums, std::size_t from, std::size_t to) const
    {
        Chroma c;
        for (std::size_t i = 0; i < 12; ++i)
            c[i] = sums[to][i] - sums[from][i];
        return c;
    }
};

Running running(const std::vector<FrameFeatures> &f)
{
    Running r;
    r.sounding.assign(f.size() + 1, Chroma{});
    r.bass.assign(f.size() + 1, Chroma{});
    for (std::size_t k = 0; k < f.size(); ++k)
        for (std::size_t i = 0; i < 12; ++i) {
            r.sounding[k + 1][i] = r.sounding[k][i] + f[k].sounding[i];
            r.bass[k + 1][i] = r.bass[k][i] + f[k].bass[i];
        }
    return r;
}

std::vector<double> onsets(std::span<const SpanNote> notes, const BeatGrid &beats, std::size_t count)
{
    const std::int64_t beat = beats.ticksPerBeat;
    std::vector<double> onset(count);
    for (const SpanNote &n : notes) {
        const std::int64_t k = (n.start - beats.phase + beat / 2) / beat;
        if (k >= 0 && std::size_t(k) < count && std::abs(n.start - beats.phase - k * beat) <= beat / 8)
            onset[std::size_t(k)] += double(std::min(n.end - n.start, 2 * beat)) / double(beat);
    }
    const double mean = std::accumulate(onset.begin(), onset.end(), 0.0) / double(std::max<std::size_t>(count, 1));
    for (double &o : onset)
        o = mean > 0 ? o / mean : 0;
    return onset;
}

// How much each beat looks like a downbeat in bars of `quarters`: the harmony and the bass
// of the two beats from it against the two before, and of the bar from it against the bar
// before, and the long notes starting on it.
std::vector<double> beatStrength(const Running &r, const std::vector<double> &onset, std::size_t quarters,
                                 const BarWeights &w)
{
    const std::size_t count = onset.size();
    std::vector<double> strength(count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t h = std::min({k, count - k, std::size_t(2)}), b = std::min({k, count - k, quarters});
        const double change = distance(r.over(r.sounding, k - h, k), r.over(r.sounding, k, k + h));
        const double bass = distance(r.over(r.bass, k - h, k), r.over(r.bass, k, k + h));
        const double bar = distance(r.over(r.sounding, k - b, k), r.over(r.sounding, k, k + b)) +
                           distance(r.over(r.bass, k - b, k), r.over(r.bass, k, k + b));
        strength[k] = w.change * change + w.bass * bass + w.bar * bar + w.onset * onset[k];
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
    std::int64_t last = 0;
    for (const SpanNote &n : notes)
        last = std::max(last, n.end);
    const std::size_t count =
        std::size_t(std::clamp<std::int64_t>((last - beats.phase) / beats.ticksPerBeat + 1, 1, MaxBeats));
    const Running sums = running(frameFeatures(notes, beats.phase, beats.ticksPerBeat, count));
    const std::vector<double> onset = onsets(notes, beats, count);
    Placing chosen{4, 0, 0};
    double chosenScore = LeastContrast;
    for (int quarters : Meters) {
        const Placing p = bestOffset(beatStrength(sums, onset, std::size_t(quarters), MeterWeights), quarters);
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
        std::vector<double> strength = beatStrength(sums, onset, std::size_t(chosen.quarters), weights);
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
