// The names a run writes for its keys and chords: the program's own for a MIDI file, the
// score's spellings for a score.
#ifndef TUNEDECK_CORE_CHORDS_SPELLEDNAMES_H
#define TUNEDECK_CORE_CHORDS_SPELLEDNAMES_H

#include "core/base/keycodes.h"
#include "core/base/spelling.h"
#include "core/chords/chordanalysis.h"
#include "core/harmony/chord.h"
#include "core/profile/profileanalysis.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck {

class SpelledNames {
public:
    // Without a spelling, analysisKeyName's and the chords' own names. The local keys are
    // the profile analysis' (its key changes), each written as the score writes it there.
    // The spelling is read while the names are built and by writeChords, not kept after.
    SpelledNames(const ScoreSpelling *spelling, const profile::ProfileAnalysis *profile);

    bool spelled() const { return spelled_; }

    // A key of the whole piece (the global key, the candidates), and the signature it is
    // written with: none where it has one name, or for a MIDI file.
    std::string key(int code) const;
    std::optional<int> keyFifths(int code) const;
    // The local key in force at the tick, as its whole stretch is written.
    std::string keyAt(int code, std::int64_t tick) const;
    // Its tonic alone, so written: "Db", "F#".
    std::string tonicAt(int code, std::int64_t tick) const;
    // The signature that key is written with there; none where it has one name, or for a
    // MIDI file.
    std::optional<int> keyFifthsAt(int code, std::int64_t tick) const;

    // Each chord's root and bass as most of the notes of their pitch class sounding in its
    // span write them, else as its key is written; nothing is written for a MIDI file.
    void writeChords(std::vector<chords::ChordSegment> &segments) const;

private:
    struct Stretch {
        std::int64_t from = 0;
        std::int64_t to = 0;
        int code = 0;
        std::optional<int> fifths;
    };
    std::string noteName(int pitchClass, const chords::ChordSegment &segment) const;
    harmony::WrittenChord written(const chords::ChordSegment &segment) const;

    const ScoreSpelling *spelling_;
    bool spelled_ = false;
    std::vector<Stretch> stretches_;
    std::array<std::optional<int>, KeyCount> wholePiece_; // each key as the whole piece writes it
};

} // namespace tunedeck

#endif
