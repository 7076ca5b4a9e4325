// What the analysis writes into a score, as typed data: at each chord's onset its symbol's
// parts as the score spells them, its Roman numeral's degrees in the local key, and the
// local key's name where it changes.
#ifndef TUNEDECK_CORE_ANNOTATE_HARMONYMARKS_H
#define TUNEDECK_CORE_ANNOTATE_HARMONYMARKS_H

#include "core/analysis/fileanalysis.h"
#include "core/base/spelling.h"
#include "core/harmony/chord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck::annotate {

// One Roman numeral of a chord: its degree in the key (1..7) and the root's alteration
// against the key's scale (major, or natural minor), as the numeral writes them.
struct NumeralDegree {
    int degree = 1;
    int alter = 0;
    bool alterPrinted = false; // "b" or "#" before it; minor's raised sixth and seventh have none
    bool lower = false;        // written in lower case: a minor-type chord
    std::string text;   // the numeral as printed, figures and marks with it ("V65", "viio7")
};

// The key as a signature writes it: fifths (flats below 0) and the mode.
struct WrittenKey {
    int fifths = 0;
    bool minor = false;
    std::string name; // "Db major", "f# minor" as the analysis names it
};

struct HarmonyMark {
    std::int64_t tick = 0;
    harmony::Chord chord;
    SpelledPitch root;
    SpelledPitch bass;  // read for an inversion only
    int inversion = 0;  // the bass' place among the chord's tones, 0 in root position
    // The numeral, and for an applied chord the degree it leads to after it ("V7/V": V7, V).
    std::vector<NumeralDegree> numerals;
    WrittenKey key;
    bool keyChanges = false; // the first chord, or the first in another local key
};

// The chords of the analysis that sound (rests left out), in order. A score's spelling names
// them; without one, the program's own spellings.
std::vector<HarmonyMark> harmonyMarks(const FileAnalysis &analysis);

// "Gb" as a step and its alteration; nothing for anything that is not a note's name.
std::optional<SpelledPitch> parsePitch(std::string_view name);
// "bVI6", "viio7", "V7/V": each numeral's degree, alteration and case; nothing for an empty one.
std::vector<NumeralDegree> parseNumeral(std::string_view roman);
// The key's signature from its name: "Db major" -5, "g# minor" 5.
std::optional<WrittenKey> parseKey(std::string_view name);

} // namespace tunedeck::annotate

#endif
