// A fast run as the JSON object tunedeck-detect --json prints for a file, without the file's
// name (the caller knows how to spell it): the same object for the command, the Python
// module and the page.
#ifndef TUNEDECK_CORE_ANALYSIS_ANALYSISJSON_H
#define TUNEDECK_CORE_ANALYSIS_ANALYSISJSON_H

#include "core/analysis/analysistexts.h"
#include "core/chords/spellednames.h"
#include "core/base/keynames.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace tunedeck {

// The fields that only some of the command's options print.
struct JsonFields {
    bool transposeLeftOut = false;   // --transpose: "transposeLeftOut"
    std::optional<Notation> notation; // --notation: "keyNotation"
};

nlohmann::json analysisJson(const FileAnalysis &analysis, const LabelTexts &texts, const JsonFields &fields = {});
nlohmann::json analysisJson(const FileAnalysis &analysis, const JsonFields &fields = {});

// The profile analysis alone, as "profileAnalysis" holds it; its keys named as a score
// spells them when given.
nlohmann::json profileJson(const profile::ProfileAnalysis &analysis, const SpelledNames *names = nullptr);

// A chord's beat as the JSON writes it: a whole number on the beat, else to a thousandth of
// a quarter note.
nlohmann::json beatValue(double beat);

// The chords per beat, as "chords" holds them: one object a segment; named as a score
// writes them where it does (ChordSegment::written).
nlohmann::json chordsJson(const std::vector<chords::ChordSegment> &segments);

} // namespace tunedeck

#endif
