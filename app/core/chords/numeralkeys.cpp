#include "core/chords/numeralkeys.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <array>

namespace tunedeck::chords {

namespace {

using KeyScores = std::array<double, KeyCount>;

// Quarter notes of [from, to) each key holds in the local keys' windows.
KeyScores heldBeats(const profile::ProfileAnalysis &keys, std::int64_t from, std::int64_t to, int ticksPerQuarter)
{
    KeyScores held{};
    const auto last = std::int64_t(keys.windowKeys.size()) - 1;
    for (std::int64_t w = std::min(from / keys.windowTicks, last); w <= last && w * keys.windowTicks < to; ++w) {
        const int key = keys.windowKeys[std::size_t(w)];
        // The last window runs on to the end.
        const std::int64_t a = std::max(from, w * keys.windowTicks);
        const std::int64_t b = w == last ? std::max(to, a + 1) : std::min(to, (w + 1) * keys.windowTicks);
        if (isKeyCode(key) && b > a)
            held[std::size_t(keyIndex(key))] += double(b - a) / double(std::max(ticksPerQuarter, 1));
    }
    return held;
}

} // namespace

int localKeyOver(const profile::ProfileAnalysis &keys, std::int64_t from, std::int64_t to)
{
    if (keys.windowTicks <= 0 || keys.windowKeys.empty())
        return keys.keyCode;
    const KeyScores held = heldBeats(keys, from, to, 1);
    const auto best = std::max_element(held.begin(), held.end());
    return *best > 0 ? keyCodeAt(int(best - held.begin())) : keys.keyCode;
}

std::vector<int> numeralKeys(const std::vector<KeyedChord> &chords, const profile::ProfileAnalysis &keys,
                             const harmony::KeyChordTable &prior, int ticksPerQuarter,
                             const NumeralKeyWeights &weights)
{
    const std::size_t n = chords.size();
    std::vector<int> out(n, keys.keyCode);
    if (n == 0 || keys.windowTicks <= 0 || keys.windowKeys.empty())
        return out;
    std::vector<std::array<std::uint8_t, KeyCount>> from(n);
    KeyScores score{};
    for (std::size_t i = 0; i < n; ++i) {
        const KeyScores held = heldBeats(keys, chords[i].tick, chords[i].endTick, ticksPerQuarter);
        KeyScores next{};
        const auto best = std::size_t(std::max_element(score.begin(), score.end()) - score.begin());
        for (std::size_t k = 0; k < KeyCount; ++k) {
            // Staying against changing from the best key before.
            const bool stay = i == 0 || score[k] >= score[best] - weights.change;
            next[k] = (stay ? score[k] : score[best] - weights.change) + weights.agree * held[k];
            from[i][k] = std::uint8_t(stay ? k : best);
            if (chords[i].chordClass != harmony::NoChordClass)
                next[k] += weights.chord * harmony::inKey(prior, chords[i].chordClass, int(k));
        }
        score = next;
    }
    auto k = std::size_t(std::max_element(score.begin(), score.end()) - score.begin());
    for (std::size_t i = n; i-- > 0;) {
        out[i] = keyCodeAt(int(k));
        k = from[i][k];
    }
    return out;
}

} // namespace tunedeck::chords
