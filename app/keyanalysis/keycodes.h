// Key codes as Tonalyte numbers them, so both analyses line up: minor 60 + tonic pitch class,
// major 160 + tonic pitch class (0 = C ... 11 = B); 0 is no key.
#ifndef TUNEDECK_KEYANALYSIS_KEYCODES_H
#define TUNEDECK_KEYANALYSIS_KEYCODES_H

#include <string>

namespace tunedeck::keyanalysis {

constexpr int NoKey = 0;
constexpr int MinorBase = 60;
constexpr int MajorBase = 160;
constexpr int KeyCount = 24; // indices 0..11 major, 12..23 minor, by tonic

constexpr bool isKeyCode(int code)
{
    return (code >= MinorBase && code < MinorBase + 12) || (code >= MajorBase && code < MajorBase + 12);
}
constexpr bool isMinorKey(int code) { return code >= MinorBase && code < MinorBase + 12; }
constexpr int tonicOf(int code) { return isMinorKey(code) ? code - MinorBase : code - MajorBase; }
constexpr int keyCodeOf(int tonic, bool minor) { return (minor ? MinorBase : MajorBase) + (tonic % 12 + 12) % 12; }

// The analysis' own numbering of the 24 keys.
constexpr int keyIndex(int code) { return tonicOf(code) + (isMinorKey(code) ? 12 : 0); }
constexpr int keyCodeAt(int index) { return keyCodeOf(index % 12, index >= 12); }

// "A minor", "E♭" written "Eb major": the spelling with the fewer accidentals (flats for
// Db, Eb, Ab, Bb major and Eb, Bb minor; F# major and C#, F#, G# minor with sharps).
// Empty for anything that is no key.
std::string keyName(int code);

// How a candidate key stands to the first one. Dominant and subdominant keep the mode
// (G major to C major, E minor to A minor), as the usual fifth-error scoring counts them.
enum class KeyRelation { Same, Relative, Parallel, Dominant, Subdominant, None };
KeyRelation keyRelation(int first, int other);
const char *relationName(KeyRelation relation); // "same", "relative", ..., "none"

} // namespace tunedeck::keyanalysis

#endif
