// The name of the library's harmony code: the chord Tonalyte reports as five decimal digits
// (quality, root, extension, fifth), in a compact and a readable form. Not the chords of the
// chord and profile analyses (harmony::Chord), which are named in core/harmony.
#ifndef TUNEDECK_CORE_REPORTS_HARMONYCODENAME_H
#define TUNEDECK_CORE_REPORTS_HARMONYCODENAME_H

#include <cstdint>
#include <string>

namespace tunedeck {

struct HarmonyCodeName {
    std::string compact;  // five characters, "C#M7+"; "-" for no chord
    std::string readable; // "C# Major7 Aug5"; "-" for no chord (the main window adds a leading blank)
};

// accidental: the key in force's direction; negative spells roots with flats.
HarmonyCodeName harmonyCodeName(std::int32_t haCode, std::int16_t accidental);

} // namespace tunedeck

#endif
