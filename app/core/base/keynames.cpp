#include "core/base/keynames.h"

#include "core/base/keycodes.h"
#include "core/base/keysignature.h"

#include <algorithm>
#include <cctype>

namespace tunedeck {

namespace {

constexpr const char *sharpNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr const char *flatNames[12] = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};

// The window names a black key both ways: "C# Db".
std::string bothSpellings(int pitchClass)
{
    const std::string_view sharp = pitchName(pitchClass, +1), flat = pitchName(pitchClass, -1);
    return sharp == flat ? std::string(sharp) : std::string(sharp) + ' ' + std::string(flat);
}

std::string germanName(int code)
{
    // The spellings German usage prefers: Des-Dur, Fis-Dur, es-Moll, b-Moll; H is B natural.
    static constexpr const char *majors[12] = {"C", "Des", "D", "Es", "E", "F", "Fis", "G", "As", "A", "B", "H"};
    static constexpr const char *minors[12] = {"c", "cis", "d", "es", "e", "f", "fis", "g", "gis", "a", "b", "h"};
    const int tonic = tonicOf(code);
    return isMinorKey(code) ? std::string(minors[tonic]) + "-Moll" : std::string(majors[tonic]) + "-Dur";
}

} // namespace

std::optional<Notation> parseNotation(std::string_view word)
{
    std::string lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (std::size_t i = 0; i < NotationWords.size(); ++i)
        if (lower == NotationWords[i])
            return Notation(i);
    return std::nullopt;
}

std::string_view pitchName(int pitchClass, int direction)
{
    // The list is chosen before it is indexed: g++ 12 with -fsanitize=undefined indexes
    // (a ? x : y)[i] wrongly.
    const char *const *names = direction < 0 ? flatNames : sharpNames;
    return names[(pitchClass % 12 + 12) % 12];
}

std::string keyName(int code, Notation notation)
{
    if (!isKeyCode(code))
        return {};
    const bool minor = isMinorKey(code);
    switch (notation) {
    case Notation::Standard:
        return bothSpellings(tonicOf(code)) + (minor ? " Minor" : " Major");
    case Notation::Camelot:
        // C major and A minor sit at 8; each fifth up is one more.
        return std::to_string((fifthsPosition(code) + 7) % 12 + 1) + (minor ? "A" : "B");
    case Notation::OpenKey:
        return std::to_string(fifthsPosition(code) + 1) + (minor ? "m" : "d");
    case Notation::German:
        return germanName(code);
    }
    return {};
}

std::string analysisTonic(int code)
{
    if (!isKeyCode(code))
        return {};
    // Six sharps or six flats are as many; the analysis writes that minor with flats.
    const bool sixSharpMinor = isMinorKey(code) && keySignatureFor(code)->sharpsOrFlats == 6;
    const int direction = sixSharpMinor ? -1 : accidentalDirection(code);
    return std::string(pitchName(tonicOf(code), direction));
}

std::string analysisKeyName(int code)
{
    if (!isKeyCode(code))
        return {};
    return analysisTonic(code) + (isMinorKey(code) ? " minor" : " major");
}

std::string shortKeyName(int code)
{
    if (!isKeyCode(code))
        return {};
    const std::string tonic(pitchName(tonicOf(code), accidentalDirection(code)));
    return isMinorKey(code) ? tonic + 'm' : tonic;
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

} // namespace tunedeck
