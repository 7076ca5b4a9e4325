// The names a run writes for its keys and chords: the program's own for a MIDI file, the
// score's spellings for a score.
#ifndef TUNEDECK_CORE_ANALYSIS_SPELLEDNAMES_H
#define TUNEDECK_CORE_ANALYSIS_SPELLEDNAMES_H

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
    SpelledNames(const ScoreSpelling *spelling, const profile::ProfileAnalysis *profile);

    // A key of the whole piece (the global key, the candidates).
    std::string key(int code) const;
    // The local key in force at the tick, as its whole stretch is written.
    std::string keyAt(int code, std::int64_t tick) const;
    // Its tonic alone, so written: "Db", "F#".
    std::string tonicAt(int code, std::int64_t tick) const;
    // A chord's root and bass as most of the notes of their pitch class sounding in its span
    // write them, else as its key is written.
    std::string chordLabel(const chords::ChordSegment &segment) const;
    std::string chordSymbol(const chords::ChordSegment &segment) const;
    // The root and bass as chordLabel writes them; only with a spelling, for a chord.
    harmony::ChordSpelling chordSpelling(const chords::ChordSegment &segment) const;

private:
    struct Stretch {
        std::int64_t from = 0;
        std::int64_t to = 0;
        int code = 0;
        std::optional<int> fifths;
    };
    std::optional<int> fifthsAt(int code, std::int64_t tick) const;
    std::string noteName(int pitchClass, const chords::ChordSegment &segment) const;

    const ScoreSpelling *spelling_;
    std::vector<Stretch> stretches_;
    std::array<std::optional<int>, KeyCount> wholePiece_; // each key as the whole piece writes it
};

} // namespace tunedeck

#endif
