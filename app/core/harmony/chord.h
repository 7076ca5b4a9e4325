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
    Power, // a root and its fifth, no third: named from a segment's notes, no class of the models
};
// The qualities the models score (the chord classes'); Power stands outside them.
constexpr int QualityCount = 13;
constexpr int NamedQualityCount = QualityCount + 1;

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

// Harte's quality names ("maj", "min7", "hdim7", "(1,5)") and the lead-sheet suffixes ("",
// "m7", "m7b5", "5").
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
    friend bool operator==(const ChordSpelling &, const ChordSpelling &) = default;
};
std::string harteLabel(const Chord &chord, const ChordSpelling &spelling);
std::string chordSymbol(const Chord &chord, const ChordSpelling &spelling);

// How a score writes a chord where it sounds: its root and bass, and the signature its key
// is written with (none where the key has one name). A MIDI file's chords have none.
struct WrittenChord {
    ChordSpelling notes;
    std::optional<int> keyFifths;
    friend bool operator==(const WrittenChord &, const WrittenChord &) = default;
};
// In the key, or as written when the chord is.
std::string harteLabel(const Chord &chord, int keyCode, const std::optional<WrittenChord> &written);
std::string chordSymbol(const Chord &chord, int keyCode, const std::optional<WrittenChord> &written);
// The chord's key, "Db major": as written when the chord is, else the program's own name.
std::string keyNameOf(int keyCode, const std::optional<WrittenChord> &written);

// A Harte label read back: any root spelling, the qualities above (also a bare root, a
// major triad) and a bass interval that is a chord tone ("/3", "/b7", "/5"). Nothing for
// anything else, a quality outside the list or a bass that is not a chord tone among them.
std::optional<Chord> parseHarte(std::string_view label);

} // namespace tunedeck::harmony

#endif
