// How a score spells its music, carried as data from the score reader to where names are
// written: its key signatures and each note's spelled pitch class over its span. A MIDI file
// has none, and its keys and chords keep the program's own spellings.
#ifndef TUNEDECK_CORE_BASE_SPELLING_H
#define TUNEDECK_CORE_BASE_SPELLING_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck {

// A pitch class as written: the letter 'A'..'G' and its alteration in semitones.
struct SpelledPitch {
    char step = 'C';
    int alter = 0;
    friend bool operator==(const SpelledPitch &, const SpelledPitch &) = default;
};

// "Gb", "F#", "Cb", "E##": the letter and its accidentals.
std::string pitchText(const SpelledPitch &pitch);

struct SpelledNote {
    std::int64_t tick = 0;
    std::int64_t end = 0;
    int pitchClass = 0; // as it sounds, 0 = C
    SpelledPitch spelling;
};

struct SignatureChange {
    std::int64_t tick = 0;
    int fifths = 0; // sharps above 0, flats below
};

struct ScoreSpelling {
    std::vector<SignatureChange> signatures; // in tick order
    std::vector<SpelledNote> notes;          // in onset order
    // No note is longer, so the notes sounding at a tick start at most this much before it;
    // -1 when not known, and every earlier note is looked at.
    std::int64_t longest = -1;
};

// The fifths of the signature in force at the tick; nothing before the first.
std::optional<int> signatureAt(const ScoreSpelling &spelling, std::int64_t tick);

// The spelling most of the notes of the pitch class sounding in [from, to) have; nothing
// when none sounds or two spellings are as many.
std::optional<SpelledPitch> notesSpelling(const ScoreSpelling &spelling, int pitchClass, std::int64_t from,
                                          std::int64_t to);

// The signature a score writes the key with over [from, to), where it may be written either
// way within seven accidentals (Db or C#, Gb or F#, Cb or B): the one whose tonic most of the
// notes of its pitch class there spell, else the one nearer the signature in force at
// `from`. Nothing for the other keys and where neither settles it.
std::optional<int> writtenSignature(int code, const ScoreSpelling &spelling, std::int64_t from, std::int64_t to);

// The key's name, "Db major", "D# minor": written with the signature, else the program's own
// (analysisKeyName's).
std::string writtenKeyName(int code, std::optional<int> fifths);
// Its tonic alone: "Db", "D#".
std::string writtenTonic(int code, std::optional<int> fifths);

// The key map's label, "Gb", "Ebm": written with the signature, else shortKeyName's.
std::string shortWrittenKeyName(int code, std::optional<int> fifths);

// +1 when the key so written has sharps, -1 flats, 0 neither: chord roots follow it.
int writtenDirection(int code, std::optional<int> fifths);

} // namespace tunedeck

#endif
