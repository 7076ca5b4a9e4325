// Key names from key codes (minor 60 + pitch class, major 160 + pitch class, 0 = C) in the
// notations people sort collections by.
#ifndef TUNEDECK_COLLECTION_NOTATION_H
#define TUNEDECK_COLLECTION_NOTATION_H

#include "keyanalysis/keycodes.h"

#include <optional>
#include <string>
#include <string_view>

namespace tunedeck::collection {

enum class Notation {
    Standard, // "C Major", "C# Db Minor": the window's names
    Camelot,  // "8B" for C major, "8A" for A minor
    OpenKey,  // "1d" for C major, "1m" for A minor
    German,   // "C-Dur", "a-Moll", "Fis-Dur", "es-Moll"
};

// "standard", "camelot", "openkey", "german" (any case); nothing for another word.
std::optional<Notation> parseNotation(std::string_view word);

// The key codes, as everywhere in the program.
using keyanalysis::isKeyCode;
constexpr bool isMajorKeyCode(int keyCode)
{
    return isKeyCode(keyCode) && !keyanalysis::isMinorKey(keyCode);
}

// The key's name in the notation; empty for a code that names no key.
std::string keyName(int keyCode, Notation notation);

} // namespace tunedeck::collection

#endif
