#include "core/harmony/chordclasses.h"

namespace tunedeck::harmony {

int chordClass(const Chord &chord)
{
    return chord.none() ? NoChordClass : chord.root * QualityCount + int(chord.quality);
}

Chord chordOfClass(int chordClass)
{
    if (chordClass < 0 || chordClass >= NoChordClass)
        return {};
    return {chordClass / QualityCount, Quality(chordClass % QualityCount), 0};
}

int relativeClass(int chordClass, int tonic)
{
    if (chordClass == NoChordClass)
        return NoChordClass;
    return ((chordClass / QualityCount - tonic + 12) % 12) * QualityCount + chordClass % QualityCount;
}

double inKey(const KeyChordTable &table, int chordClass, int keyIndex)
{
    return table[keyIndex >= 12 ? 1 : 0][std::size_t(relativeClass(chordClass, keyIndex % 12))];
}

} // namespace tunedeck::harmony
