// Key codes as Tonalyte numbers them, so every analysis and every text lines up: minor
// 60 + tonic pitch class, major 160 + tonic pitch class (0 = C ... 11 = B); 0 is no key.
#ifndef TUNEDECK_CORE_BASE_KEYCODES_H
#define TUNEDECK_CORE_BASE_KEYCODES_H

namespace tunedeck {

constexpr int NoKey = 0;
constexpr int MinorBase = 60;
constexpr int MajorBase = 160;
constexpr int KeyCount = 24; // indices 0..11 major, 12..23 minor, by tonic

constexpr bool isMinorKey(int code) { return code >= MinorBase && code < MinorBase + 12; }
constexpr bool isMajorKey(int code) { return code >= MajorBase && code < MajorBase + 12; }
// Anything else (no key, a refused event, a stray number) names no key.
constexpr bool isKeyCode(int code) { return isMinorKey(code) || isMajorKey(code); }

// The tonic's pitch class; only for key codes.
constexpr int tonicOf(int code) { return isMinorKey(code) ? code - MinorBase : code - MajorBase; }
constexpr int keyCodeOf(int tonic, bool minor) { return (minor ? MinorBase : MajorBase) + (tonic % 12 + 12) % 12; }

// The profile analysis' numbering of the 24 keys.
constexpr int keyIndex(int code) { return tonicOf(code) + (isMinorKey(code) ? 12 : 0); }
constexpr int keyCodeAt(int index) { return keyCodeOf(index % 12, index >= 12); }

// The tonic of the major key with the same signature: a minor third above a minor tonic.
constexpr int relativeMajorTonic(int code) { return isMinorKey(code) ? (tonicOf(code) + 3) % 12 : tonicOf(code); }

// The key's place on the circle of fifths, 0..11 from C major (C, G, D, ... F); a minor
// takes its relative major's place. -1 for no key.
constexpr int fifthsPosition(int code)
{
    // Seven semitones a fifth; 7 is its own inverse mod 12.
    return isKeyCode(code) ? relativeMajorTonic(code) * 7 % 12 : -1;
}

} // namespace tunedeck

#endif
