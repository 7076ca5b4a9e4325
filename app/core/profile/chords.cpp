#include "core/profile/chords.h"

#include "core/profile/fittedchords.h"

#include <cmath>

namespace tunedeck::profile {

namespace {

// Chord tones above the root, by quality (ChordQuality's order).
constexpr std::array<std::array<int, 4>, ChordQualities> Intervals = {{
    {0, 4, 7, -1}, {0, 3, 7, -1}, {0, 3, 6, -1}, {0, 4, 7, 10},
    {0, 3, 7, 10}, {0, 4, 7, 11}, {0, 3, 6, 10}, {0, 3, 6, 9},
}};

} // namespace

Chord windowChord(const WindowDurations &window, const ChordFinding &finding)
{
    double total = 0, bassTotal = 0;
    for (std::size_t pc = 0; pc < 12; ++pc) {
        total += double(window.sounding[pc]);
        bassTotal += double(window.bass[pc]);
    }
    Chord best;
    if (total <= 0)
        return best;
    // What each pitch class adds to a chord it belongs to (twice its share: time on chord tones
    // counts for, the rest against; less a penalty when it is missing), twice round the
    // octave so the template sums need no wrapping.
    std::array<double, 24> tone{};
    for (std::size_t pc = 0; pc < 12; ++pc) {
        const double share = double(window.sounding[pc]) / total;
        tone[pc] = tone[pc + 12] = 2 * share - (share < finding.heard ? finding.missingPenalty : 0);
    }
    std::array<std::array<double, 12>, ChordQualities> score;
    for (std::size_t q = 0; q < std::size_t(ChordQualities); ++q)
        for (std::size_t root = 0; root < 12; ++root) {
            double sum = -1;
            for (int interval : Intervals[q])
                sum += interval < 0 ? 0 : tone[root + std::size_t(interval)];
            score[q][root] = sum + (bassTotal > 0 ? finding.bassBonus * double(window.bass[root]) / bassTotal : 0);
        }
    double bestScore = finding.noChordBelow;
    for (std::size_t root = 0; root < 12; ++root)
        for (std::size_t q = 0; q < std::size_t(ChordQualities); ++q)
            if (score[q][root] > bestScore) {
                bestScore = score[q][root];
                best = {int(root), ChordQuality(q)};
            }
    return best;
}

std::vector<Chord> windowChords(const std::vector<WindowDurations> &windows, const ChordFinding &finding)
{
    std::vector<Chord> chords;
    chords.reserve(windows.size());
    for (const WindowDurations &w : windows)
        chords.push_back(windowChord(w, finding));
    return chords;
}

int chordClass(const Chord &chord, int tonic)
{
    return ChordQualities * ((chord.root - tonic + 12) % 12) + int(chord.quality);
}

const ChordTable &fittedChords()
{
    static const ChordTable table = [] {
        ChordTable t;
        for (std::size_t c = 0; c < std::size_t(ChordClasses); ++c) {
            t[0][c] = std::log(FittedChordsInMajor[c]);
            t[1][c] = std::log(FittedChordsInMinor[c]);
        }
        return t;
    }();
    return table;
}

std::vector<KeyScores> chordScores(const std::vector<Chord> &chords, const ChordTable &table, double weight)
{
    std::vector<KeyScores> out(chords.size());
    for (std::size_t w = 0; w < chords.size(); ++w) {
        if (chords[w].root < 0)
            continue;
        for (int k = 0; k < 24; ++k)
            out[w][std::size_t(k)] = weight * table[k >= 12 ? 1 : 0][std::size_t(chordClass(chords[w], k % 12))];
    }
    return out;
}

} // namespace tunedeck::profile
