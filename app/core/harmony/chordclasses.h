// Chords as classes, and tables of a value per class in a key. A class is a root and a
// quality in root position, or no chord; counted from a key's tonic, the root is its semitones
// above it, so one row of a table serves the twelve keys of a mode.
#ifndef TUNEDECK_CORE_HARMONY_CHORDCLASSES_H
#define TUNEDECK_CORE_HARMONY_CHORDCLASSES_H

#include "core/harmony/chord.h"

#include <array>
#include <cstddef>

namespace tunedeck::harmony {

// root * QualityCount + quality; NoChordClass for no chord.
constexpr int ChordClassCount = 12 * QualityCount + 1;
constexpr int NoChordClass = ChordClassCount - 1;

// The chord's class, its bass left out; a power chord's is its major triad's, as the models
// found it so before its notes showed no third.
constexpr int chordClass(const Chord &chord)
{
    if (chord.none())
        return NoChordClass;
    return chord.root * QualityCount + (chord.quality == Quality::Power ? 0 : int(chord.quality));
}

// The class's chord in root position; no chord for NoChordClass and anything out of range.
constexpr Chord chordOfClass(int chordClass)
{
    if (chordClass < 0 || chordClass >= NoChordClass)
        return {};
    return {chordClass / QualityCount, Quality(chordClass % QualityCount), 0};
}

// The class with its root counted from a tonic, the index of a key's row; NoChordClass stays.
constexpr int relativeClass(int chordClass, int tonic)
{
    if (chordClass == NoChordClass)
        return NoChordClass;
    return ((chordClass / QualityCount - tonic + 12) % 12) * QualityCount + chordClass % QualityCount;
}

// A value for every class relative to the tonic, by mode ([0] major, [1] minor): how a key
// favours each chord on each of its degrees. The profile analysis keeps its window chords'
// log probabilities in one (its evidence for the keys), the chord analysis its key prior.
using KeyChordTable = std::array<std::array<double, ChordClassCount>, 2>;

// A class's entry in a key, by the profile analysis' key index (0..11 major, 12..23 minor,
// by tonic).
inline double inKey(const KeyChordTable &table, int chordClass, int keyIndex)
{
    return table[keyIndex >= 12 ? 1 : 0][std::size_t(relativeClass(chordClass, keyIndex % 12))];
}

} // namespace tunedeck::harmony

#endif
