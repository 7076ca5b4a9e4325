#include "core/profile/windowchords.h"

#include "core/profile/fittedchordevidence.h"

#include <cmath>
#include <span>

namespace tunedeck::profile {

harmony::Chord windowChord(const WindowDurations &window, const ChordFinding &finding)
{
    double total = 0, bassTotal = 0;
    for (std::size_t pc = 0; pc < 12; ++pc) {
        total += double(window.sounding[pc]);
        bassTotal += double(window.bass[pc]);
    }
    harmony::Chord best;
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
    std::array<std::array<double, 12>, WindowQualities.size()> score;
    for (std::size_t q = 0; q < WindowQualities.size(); ++q) {
        const std::span<const int> tones = harmony::intervals(WindowQualities[q]);
        for (std::size_t root = 0; root < 12; ++root) {
            double sum = -1;
            for (int interval : tones)
                sum += tone[root + std::size_t(interval)];
            score[q][root] = sum + (bassTotal > 0 ? finding.bassBonus * double(window.bass[root]) / bassTotal : 0);
        }
    }
    double bestScore = finding.noChordBelow;
    for (std::size_t root = 0; root < 12; ++root)
        for (std::size_t q = 0; q < WindowQualities.size(); ++q)
            if (score[q][root] > bestScore) {
                bestScore = score[q][root];
                best = {int(root), WindowQualities[q], 0};
            }
    return best;
}

std::vector<harmony::Chord> windowChords(const std::vector<WindowDurations> &windows, const ChordFinding &finding)
{
    std::vector<harmony::Chord> chords;
    chords.reserve(windows.size());
    for (const WindowDurations &w : windows)
        chords.push_back(windowChord(w, finding));
    return chords;
}

const harmony::KeyChordTable &fittedChordEvidence()
{
    static const harmony::KeyChordTable table = [] {
        harmony::KeyChordTable t{};
        for (std::size_t i = 0; i < WindowClassCount; ++i) {
            t[0][std::size_t(windowClass(i))] = std::log(FittedChordEvidenceInMajor[i]);
            t[1][std::size_t(windowClass(i))] = std::log(FittedChordEvidenceInMinor[i]);
        }
        return t;
    }();
    return table;
}

std::vector<KeyScores> chordEvidence(const std::vector<harmony::Chord> &chords, const harmony::KeyChordTable &table,
                                     double weight)
{
    std::vector<KeyScores> out(chords.size());
    for (std::size_t w = 0; w < chords.size(); ++w) {
        if (chords[w].none())
            continue;
        const int chordClass = harmony::chordClass(chords[w]);
        for (int k = 0; k < 24; ++k)
            out[w][std::size_t(k)] = weight * harmony::inKey(table, chordClass, k);
    }
    return out;
}

} // namespace tunedeck::profile
