#include "collection/notation.h"

#include <algorithm>
#include <cctype>

namespace tunedeck::collection {

namespace {

int pitchClass(int keyCode)
{
    return keyCode % 100 - 60;
}

// Position on the circle of fifths counted from C major (0) and its relative A minor.
int fifthsFromC(int keyCode)
{
    const int majorTonic = isMajorKeyCode(keyCode) ? pitchClass(keyCode) : (pitchClass(keyCode) + 3) % 12;
    return majorTonic * 7 % 12;
}

} // namespace

std::optional<Notation> parseNotation(std::string_view word)
{
    std::string lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "standard")
        return Notation::Standard;
    if (lower == "camelot")
        return Notation::Camelot;
    if (lower == "openkey")
        return Notation::OpenKey;
    if (lower == "german")
        return Notation::German;
    return std::nullopt;
}

std::string keyName(int keyCode, Notation notation)
{
    if (!isKeyCode(keyCode))
        return {};
    const bool major = isMajorKeyCode(keyCode);
    const int pc = pitchClass(keyCode);
    switch (notation) {
    case Notation::Standard: {
        static const char *const names[12] = {"C", "C# Db", "D", "D# Eb", "E", "F",
                                              "F# Gb", "G", "G# Ab", "A", "A# Bb", "B"};
        return std::string(names[pc]) + (major ? " Major" : " Minor");
    }
    case Notation::Camelot:
        // C major and A minor sit at 8; each fifth up is one more.
        return std::to_string((fifthsFromC(keyCode) + 7) % 12 + 1) + (major ? "B" : "A");
    case Notation::OpenKey:
        return std::to_string(fifthsFromC(keyCode) + 1) + (major ? "d" : "m");
    case Notation::German: {
        // The spellings German usage prefers: Des-Dur, Fis-Dur, es-Moll, b-Moll; H is B natural.
        static const char *const majors[12] = {"C", "Des", "D", "Es", "E", "F", "Fis", "G", "As", "A", "B", "H"};
        static const char *const minors[12] = {"c", "cis", "d", "es", "e", "f", "fis", "g", "gis", "a", "b", "h"};
        return major ? std::string(majors[pc]) + "-Dur" : std::string(minors[pc]) + "-Moll";
    }
    }
    return {};
}

} // namespace tunedeck::collection
