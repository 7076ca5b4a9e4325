#include "core/chords/bartracker.h"

#include <algorithm>
#include <cstdint>

namespace tunedeck::chords {

std::vector<std::size_t> trackDownbeats(std::span<const double> downbeat, int quarters, double shiftCost)
{
    const std::size_t count = downbeat.size(), positions = std::size_t(std::max(quarters, 1));
    if (count == 0)
        return {};
    // score[p]: the best path's score with the current beat at position p; from[k * positions + p]
    // the position of beat k - 1 on it.
    std::vector<double> score(positions, 0), next(positions);
    std::vector<std::uint8_t> from(count * positions, 0);
    score[0] = downbeat[0];
    for (std::size_t k = 1; k < count; ++k) {
        // The best start of a shift: any position, then its own advance wins a tie.
        const auto best = std::max_element(score.begin(), score.end());
        for (std::size_t p = 0; p < positions; ++p) {
            const std::size_t before = (p + positions - 1) % positions;
            double s = score[before];
            std::size_t came = before;
            if (*best - shiftCost > s) {
                s = *best - shiftCost;
                came = std::size_t(best - score.begin());
            }
            next[p] = s + (p == 0 ? downbeat[k] : 0);
            from[k * positions + p] = std::uint8_t(came);
        }
        score.swap(next);
    }
    std::vector<std::size_t> downbeats;
    std::size_t p = std::size_t(std::max_element(score.begin(), score.end()) - score.begin());
    for (std::size_t k = count; k-- > 0;) {
        if (p == 0)
            downbeats.push_back(k);
        if (k > 0)
            p = from[k * positions + p];
    }
    std::reverse(downbeats.begin(), downbeats.end());
    return downbeats;
}

} // namespace tunedeck::chords
