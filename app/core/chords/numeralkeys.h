// The key each chord's numeral is read in. The profile analysis' local keys move in windows
// of a bar or two, so a modulation's first chords often keep the old key, and a passing
// tonicization may take a window; the chords themselves say which key they belong to (a V7
// and its I), so the segments' keys are chosen along the chords: a path over the keys that
// agrees with the local keys where they hold, changes key seldom, and favours keys the chords
// are likely in.
#ifndef TUNEDECK_CORE_CHORDS_NUMERALKEYS_H
#define TUNEDECK_CORE_CHORDS_NUMERALKEYS_H

#include "core/harmony/chordclasses.h"
#include "core/profile/profileanalysis.h"

#include <cstdint>
#include <vector>

namespace tunedeck::chords {

struct NumeralKeyWeights {
    double chord = 1;  // times the key prior's log ratio of the segment's chord in a key
    double agree = 0.4; // per beat of the segment the local keys hold a key
    double change = 2;  // what a change of key costs between two segments
};

struct KeyedChord {
    std::int64_t tick = 0;
    std::int64_t endTick = 0;
    int chordClass = harmony::NoChordClass;
};

// The local key holding the most of [from, to) in the analysis' windows; the whole file's where
// they have none.
int localKeyOver(const profile::ProfileAnalysis &keys, std::int64_t from, std::int64_t to);

// The key code of each chord, in order; the local keys' where they have none.
std::vector<int> numeralKeys(const std::vector<KeyedChord> &chords, const profile::ProfileAnalysis &keys,
                             const harmony::KeyChordTable &prior, int ticksPerQuarter,
                             const NumeralKeyWeights &weights);

} // namespace tunedeck::chords

#endif
