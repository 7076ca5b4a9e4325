// A chord's Roman numeral in a key, as harmony textbooks and the When in Rome analyses write
// it: the degree of its root, upper case for major-type chords, "o", "ø" and "+" for
// diminished, half-diminished and augmented ones, the inversion as figures ("6", "64", "65",
// "43", "42"), an applied chord by the degree it leads to ("V7/V", "viio7/ii"), a chromatic
// root flattened or sharpened against the key's scale ("bVI", "bII6", "#iii" in minor), never
// the tonic. In minor the raised sixth and seventh are lower case without a sharp ("vio",
// "viio7"), the natural ones upper case ("VI", "VII"). A power chord, having no third, takes
// the case of the key's own triad on its degree and says so: "I[no3]", "vi[no3]".
#ifndef TUNEDECK_CORE_HARMONY_ROMANNUMERAL_H
#define TUNEDECK_CORE_HARMONY_ROMANNUMERAL_H

#include "core/harmony/chord.h"

#include <string>

namespace tunedeck::harmony {

// Empty for no chord or no key.
std::string romanNumeral(const Chord &chord, int keyCode);

// The chord with its function, as a play shows the chord of the moment: "D7 — V7 of G major";
// the symbol alone without a key, "N.C." for no chord.
std::string chordInKey(const Chord &chord, int keyCode, const std::optional<WrittenChord> &written = {});

} // namespace tunedeck::harmony

#endif
