#include "core/score/scorespelling.h"

#include <algorithm>
#include <cmath>

namespace tunedeck::score {

ScoreSpelling spellingOf(const Score &score)
{
    ScoreSpelling spelling;
    spelling.longest = 0;
    for (const KeySignature &k : score.keys)
        if (spelling.signatures.empty() || spelling.signatures.back().tick != k.tick)
            spelling.signatures.push_back({k.tick, k.fifths});
        else
            spelling.signatures.back().fifths = k.fifths; // parts agree in a score; the last read stands
    for (const Part &part : score.parts) {
        if (part.drums)
            continue;
        for (const Note &n : part.notes) {
            // Past a double accidental no one spells a key or a chord.
            if (n.spelling.alter != std::round(n.spelling.alter) || std::abs(n.spelling.alter) > 2
                || n.spelling.step < 'A' || n.spelling.step > 'G')
                continue;
            spelling.notes.push_back({n.tick, n.tick + n.duration, ((n.pitch % 12) + 12) % 12,
                                      {n.spelling.step, int(n.spelling.alter)}});
            spelling.longest = std::max(spelling.longest, n.duration);
        }
    }
    std::stable_sort(spelling.notes.begin(), spelling.notes.end(),
                     [](const SpelledNote &a, const SpelledNote &b) { return a.tick < b.tick; });
    return spelling;
}

} // namespace tunedeck::score
