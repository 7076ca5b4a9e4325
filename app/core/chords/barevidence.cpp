#include "core/chords/barevidence.h"

#include "core/chords/chordframes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tunedeck::chords {

namespace {

double distance(const std::array<double, 12> &a, const std::array<double, 12> &b)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < 12; ++i) {
        ab += a[i] * b[i];
        aa += a[i] * a[i];
        bb += b[i] * b[i];
    }
    return aa > 0 && bb > 0 ? 1 - ab / std::sqrt(aa * bb) : 0;
}

void overMean(std::vector<double> &values)
{
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / double(std::max<std::size_t>(values.size(), 1));
    for (double &v : values)
        v = mean > 0 ? v / mean : 0;
}

} // namespace

BarEvidence::BarEvidence(std::span<const SpanNote> notes, const BeatGrid &beats, std::size_t maxBeats, const Wanted &wanted)
{
    const bool lows = wanted[BassOnset] || wanted[Held];
    const std::int64_t beat = beats.ticksPerBeat;
    std::int64_t last = 0;
    for (const SpanNote &n : notes)
        last = std::max(last, n.end);
    const std::size_t count =
        std::size_t(std::clamp<std::int64_t>((last - beats.phase) / beat + 1, 1, std::int64_t(maxBeats)));
    const std::vector<FrameFeatures> f = frameFeatures(notes, beats.phase, beat, count);
    sounding_.assign(count + 1, Chroma{});
    bass_.assign(count + 1, Chroma{});
    for (std::size_t k = 0; k < count; ++k)
        for (std::size_t i = 0; i < 12; ++i) {
            sounding_[k + 1][i] = sounding_[k][i] + f[k].sounding[i];
            bass_[k + 1][i] = bass_[k][i] + f[k].bass[i];
        }
    onset_.assign(count, 0);
    bassOnset_.assign(count, 0);
    held_.assign(count, 0);
    onsets_.assign(count, 0);
    // The lowest pitch sounding over each beat's tick (a note reaches at most 8 beats on), and
    // the lowest starting on it with its length.
    std::vector<int> lowest(count, std::numeric_limits<int>::max()), lowestStart(count, std::numeric_limits<int>::max());
    std::vector<double> lowestLength(count, 0);
    for (const SpanNote &n : notes) {
        const std::int64_t k = (n.start - beats.phase + beat / 2) / beat;
        const bool on = k >= 0 && std::size_t(k) < count && std::abs(n.start - beats.phase - k * beat) <= beat / 8;
        const double length = double(std::min(n.end - n.start, 2 * beat)) / double(beat);
        if (on) {
            const std::size_t b = std::size_t(k);
            onset_[b] += length;
            onsets_[b] += 1;
            if (lows && (n.pitch < lowestStart[b] || (n.pitch == lowestStart[b] && length > lowestLength[b]))) {
                lowestStart[b] = n.pitch;
                lowestLength[b] = length;
            }
        }
        if (!lows)
            continue;
        // The beats strictly inside the note: it sounds across them.
        const std::int64_t from = n.start < beats.phase ? 0 : (n.start - beats.phase) / beat + 1;
        for (std::int64_t b = from; b < std::int64_t(count) && b < from + 8; ++b) {
            const std::int64_t tick = beats.phase + b * beat;
            if (tick >= n.end - beat / 8)
                break;
            if (tick <= n.start + beat / 8)
                continue;
            lowest[std::size_t(b)] = std::min(lowest[std::size_t(b)], n.pitch);
            held_[std::size_t(b)] += 1;
        }
    }
    for (std::size_t k = 0; k < count; ++k)
        if (lowestStart[k] < lowest[k])
            bassOnset_[k] = lowestLength[k];
    overMean(onset_);
    overMean(bassOnset_);
    overMean(held_);
    overMean(onsets_);
}

BarEvidence::Chroma BarEvidence::over(const std::vector<Chroma> &sums, std::size_t from, std::size_t to) const
{
    Chroma c;
    for (std::size_t i = 0; i < 12; ++i)
        c[i] = sums[to][i] - sums[from][i];
    return c;
}

std::vector<BeatEvidence> BarEvidence::forBars(std::size_t quarters) const
{
    const std::size_t count = beats();
    std::vector<BeatEvidence> out(count, BeatEvidence{});
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t h = std::min({k, count - k, std::size_t(2)}), b = std::min({k, count - k, quarters});
        BeatEvidence &e = out[k];
        e[Change] = distance(over(sounding_, k - h, k), over(sounding_, k, k + h));
        e[BassMove] = distance(over(bass_, k - h, k), over(bass_, k, k + h));
        e[BarChange] = distance(over(sounding_, k - b, k), over(sounding_, k, k + b)) +
                       distance(over(bass_, k - b, k), over(bass_, k, k + b));
        e[Onset] = onset_[k];
        e[BassOnset] = bassOnset_[k];
        e[Held] = held_[k];
        e[Onsets] = onsets_[k];
    }
    return out;
}

} // namespace tunedeck::chords
