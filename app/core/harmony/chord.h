// The one chord vocabulary: a chord is a root, a quality and the bass, whether the chord
// analysis finds it per beat or the profile analysis per window (its templates are some of
// the qualities, always in root position), with the ways people write it: Harte's syntax,
// which chord datasets and scoring tools read ("G:7/3"), and a lead-sheet symbol ("G7/B").
#ifndef TUNEDECK_CORE_HARMONY_CHORD_H
#define TUNEDECK_CORE_HARMONY_CHORD_H

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tunedeck::harmony {

enum class Quality : std::uint8_t {
    Major, Minor, Diminished, Augmented,
    Dominant7, Major7, Minor7, HalfDiminished7, Diminished7,
    Sus4, Sus2, Major6, Minor6,
};
constexpr int QualityCount = 13;

struct Chord {
    int root = -1; // pitch class, 0 = C; -1 is no chord (nothing sounds, or nothing a chord)
    Quality quality = Quality::Major;
    int bass = 0;  // the bass, semitones above the root: 0 in root position
    constexpr bool none() const { return root < 0; }
    friend bool operator==(const Chord &, const Chord &) = default;
};

// The chord's tones, semitones above the root, root first.
std::span<const int> intervals(Quality quality);
// The chord's tones as a bit per pitch class.
std::uint16_t pitchClassSet(const Chord &chord);
// The bass as a pitch class; -1 for no chord.
int bassPitchClass(const Chord &chord);

// Harte's quality names ("maj", "min7", "hdim7") and the lead-sheet suffixes ("", "m7", "m7b5").
std::string_view harteQuality(Quality quality);
std::string_view symbolSuffix(Quality quality);

// The root spelled for a key (key code; NoKey for the common spellings), "N" for no chord:
// "C:maj", "A:min7", "G:7/3", "Bb:maj/5". The bass is spelled as its chord tone above the
// root ("A/C#", "C#/E#", "Gm/Bb"), and a root whose bass would need a double sharp or flat
// takes another name where one avoids it ("Bb/D", not "A#/Cx").
std::string harteLabel(const Chord &chord, int keyCode = 0);
// "C", "Am7", "G7/B", "N.C.".
std::string chordSymbol(const Chord &chord, int keyCode = 0);

// A root spelled by a direction: sharps above 0, flats below, at 0 the common spellings
// ("Eb", "F#", "Bb").
std::string_view rootName(int pitchClass, int direction);

// The root and bass as written elsewhere (a score's notes): "Gb", "E#". The bass is read for
// an inversion only.
struct ChordSpelling {
    std::string root;
    std::string bass;
};
std::string harteLabel(const Chord &chord, const ChordSpelling &spelling);
std::string chordSymbol(const Chord &chord, const ChordSpelling &spelling);

// A Harte label read back: any root spelling, the qualities above (also a bare root, a
// major triad) and a bass interval that is a chord tone ("/3", "/b7", "/5"). Nothing for
// anything else, a quality outside the list or a bass that is not a chord tone among them.
std::optional<Chord> parseHarte(std::string_view label);

} // namespace tunedeck::harmony

#endif
