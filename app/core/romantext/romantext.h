// The analysis written as RomanText, the plain text the Roman-numeral analyses of scores are
// kept in: a header (composer, title, analyst, meter), then a line for each measure where a
// chord starts, with its beats, the local key where it changes and the chords' numerals.
// docs/ROMANTEXT.md describes what is written.
#ifndef TUNEDECK_CORE_ROMANTEXT_ROMANTEXT_H
#define TUNEDECK_CORE_ROMANTEXT_ROMANTEXT_H

#include "core/analysis/fileanalysis.h"
#include "core/romantext/romanplaces.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck::romantext {

struct RomanChord {
    double beat = 1;     // in the meter's beats, from 1
    std::string key;     // "G", "bb" (minor in lower case) where the local key changes; else empty
    std::string numeral; // "V7/V", "NC" for no chord
};

struct RomanLine {
    std::optional<Meter> meter; // a change of meter before the line
    std::int64_t measure = 1;
    std::vector<RomanChord> chords;
};

struct RomanDocument {
    std::string composer; // empty when the score names none, and for a MIDI file
    std::string title;    // the score's, else the file's name
    Meter meter;          // the first
    std::vector<RomanLine> lines;
};

// The chords of the analysis in their local keys, placed in the score's measures (a MIDI
// file's bars of the run's meter); `name` is the file's, the title when the score has none.
RomanDocument romanDocument(const FileAnalysis &analysis, const std::string &name);

// The document's text; the analyst named is this program with its version.
std::string romanText(const RomanDocument &document);
std::string romanText(const FileAnalysis &analysis, const std::string &name);

// "Tunedeck 1.2.6".
std::string analystName();

} // namespace tunedeck::romantext

#endif
