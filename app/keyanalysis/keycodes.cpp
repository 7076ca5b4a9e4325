#include "keyanalysis/keycodes.h"

namespace tunedeck::keyanalysis {

std::string keyName(int code)
{
    static constexpr const char *majorTonics[12] = {"C", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
    static constexpr const char *minorTonics[12] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "G#", "A", "Bb", "B"};
    if (!isKeyCode(code))
        return {};
    const bool minor = isMinorKey(code);
    return std::string((minor ? minorTonics : majorTonics)[tonicOf(code)]) + (minor ? " minor" : " major");
}

KeyRelation keyRelation(int first, int other)
{
    if (!isKeyCode(first) || !isKeyCode(other))
        return KeyRelation::None;
    const bool firstMinor = isMinorKey(first);
    const int up = (tonicOf(other) - tonicOf(first) + 12) % 12;
    if (firstMinor == isMinorKey(other)) {
        if (up == 0)
            return KeyRelation::Same;
        if (up == 7)
            return KeyRelation::Dominant;
        if (up == 5)
            return KeyRelation::Subdominant;
        return KeyRelation::None;
    }
    if (up == 0)
        return KeyRelation::Parallel;
    // A minor is C major's relative: its tonic lies three semitones below.
    if (up == (firstMinor ? 3 : 9))
        return KeyRelation::Relative;
    return KeyRelation::None;
}

const char *relationName(KeyRelation relation)
{
    switch (relation) {
    case KeyRelation::Same: return "same";
    case KeyRelation::Relative: return "relative";
    case KeyRelation::Parallel: return "parallel";
    case KeyRelation::Dominant: return "dominant";
    case KeyRelation::Subdominant: return "subdominant";
    case KeyRelation::None: break;
    }
    return "none";
}

} // namespace tunedeck::keyanalysis
