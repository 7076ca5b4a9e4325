// Every way the program writes a key: the window's names, the notations people sort
// collections by, the profile analysis' names, the key map's labels, and how two keys
// stand to each other.
#ifndef TUNEDECK_CORE_BASE_KEYNAMES_H
#define TUNEDECK_CORE_BASE_KEYNAMES_H

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tunedeck {

enum class Notation {
    Standard, // "C Major", "C# Db Minor": the window's names
    Camelot,  // "8B" for C major, "8A" for A minor
    OpenKey,  // "1d" for C major, "1m" for A minor
    German,   // "C-Dur", "a-Moll", "Fis-Dur", "es-Moll"
};

// Each notation's word, in the order of Notation.
inline constexpr std::array<std::string_view, 4> NotationWords{"standard", "camelot", "openkey", "german"};

// One of NotationWords (any case); nothing for another word.
std::optional<Notation> parseNotation(std::string_view word);

// A pitch class (0 = C) spelt with sharps ("C#") for a direction of 0 or more, with flats
// ("Db") below 0.
std::string_view pitchName(int pitchClass, int direction);

// The key's name in the notation; empty for a code that names no key.
std::string keyName(int code, Notation notation);

// The profile analysis' names, "A minor", "Eb major": the spelling with the fewer
// accidentals; of the six-accidental keys F# major and Eb minor. Empty for no key.
std::string analysisKeyName(int code);
// Its tonic alone: "A", "Eb".
std::string analysisTonic(int code);

// The key map's label: "D", "Bb", "F#m", "Am", spelt with sharps or flats as the key
// signature is; empty for no key.
std::string shortKeyName(int code);

// How a candidate key stands to the first one. Dominant and subdominant keep the mode
// (G major to C major, E minor to A minor), as the usual fifth-error scoring counts them.
enum class KeyRelation { Same, Relative, Parallel, Dominant, Subdominant, None };
KeyRelation keyRelation(int first, int other);
const char *relationName(KeyRelation relation); // "same", "relative", ..., "none"

} // namespace tunedeck

#endif
