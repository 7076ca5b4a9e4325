// Harmony code (five decimal digits) to chord name.
#ifndef TUNEDECK_CORE_REPORTS_HARMONYCODE_H
#define TUNEDECK_CORE_REPORTS_HARMONYCODE_H

#include <cstdint>
#include <string>

namespace tunedeck {

struct ChordName {
    std::string compact;  // five characters, "C#M7+"; "-" for no chord
    std::string readable; // "C# Major7 Aug5"; "-" for no chord (the main window adds a leading blank)
};

// accidental: the key in force's direction; negative spells roots with flats.
ChordName convertHarmonyCode(std::int32_t haCode, std::int16_t accidental);

} // namespace tunedeck

#endif
