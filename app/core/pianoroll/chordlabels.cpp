#include "core/pianoroll/chordlabels.h"

#include "core/harmony/romannumeral.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <numeric>

namespace tunedeck {

namespace {

// The labels placed so far: start to end, none overlapping.
class Placed {
public:
    Placed(double right, double gap) : right_(right), gap_(gap) {}

    bool fits(double left, double width) const
    {
        const double end = left + width;
        if (end > right_)
            return false;
        auto next = spans_.lower_bound(left);
        if (next != spans_.end() && next->first < end + gap_)
            return false;
        return next == spans_.begin() || std::prev(next)->second + gap_ <= left;
    }
    void put(double left, double width) { spans_[left] = left + width; }
    void take(double left) { spans_.erase(left); }

private:
    std::map<double, double> spans_;
    double right_, gap_;
};

} // namespace

std::vector<std::optional<std::size_t>> chooseLabels(std::span<const LabelSpot> spots, double laneRight, double gap)
{
    std::vector<std::optional<std::size_t>> chosen(spots.size());
    std::vector<std::size_t> order(spots.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return spots[a].weight > spots[b].weight; });
    Placed placed(laneRight, gap);
    for (std::size_t i : order) {
        const LabelSpot &s = spots[i];
        if (s.forms.empty() || !placed.fits(s.left, s.forms.back()))
            continue;
        placed.put(s.left, s.forms.back());
        chosen[i] = s.forms.size() - 1;
    }
    for (std::size_t i : order) {
        if (!chosen[i] || *chosen[i] == 0)
            continue;
        const LabelSpot &s = spots[i];
        placed.take(s.left);
        for (std::size_t form = 0; form < *chosen[i]; ++form)
            if (placed.fits(s.left, s.forms[form])) {
                chosen[i] = form;
                break;
            }
        placed.put(s.left, s.forms[*chosen[i]]);
    }
    return chosen;
}

double labelWeight(const RollChord &chord)
{
    // Confidence weighs in without letting a sure flicker outrank a long chord.
    return double(chord.endMs - chord.startMs) * (0.5 + std::clamp(chord.confidence, 0.0, 1.0));
}

RollChordNames rollChordNames(const RollChord &chord)
{
    RollChordNames names;
    if (chord.chord.none())
        return names;
    names.symbol = harmony::chordSymbol(chord.chord, chord.keyCode, chord.written);
    if (chord.chord.bass != 0) {
        harmony::Chord root = chord.chord;
        root.bass = 0;
        std::optional<harmony::WrittenChord> written = chord.written;
        if (written)
            written->notes.bass.clear();
        names.withoutBass = harmony::chordSymbol(root, chord.keyCode, written);
    }
    names.numeral = harmony::romanNumeral(chord.chord, chord.keyCode);
    return names;
}

} // namespace tunedeck
