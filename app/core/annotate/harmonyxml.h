// The MusicXML elements of the marks, as text to go into a score's measure: a chord symbol's
// <harmony> (root, kind with the symbol's suffix as its text, bass), a Roman numeral's
// <harmony> with MusicXML 4.0 <numeral>s (degree, alteration, key), and the key's name as
// <words>; each with its <offset> from where it stands and its <staff>.
#ifndef TUNEDECK_CORE_ANNOTATE_HARMONYXML_H
#define TUNEDECK_CORE_ANNOTATE_HARMONYXML_H

#include "core/annotate/harmonymarks.h"
#include "core/score/fraction.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tunedeck::annotate {

// Where an element goes: before the text at `offset`, `after` quarters later than the
// cursor there, in the divisions then.
struct Spot {
    std::size_t offset = 0;
    score::Fraction after;
    score::Fraction perDivision{1};
};

std::string chordSymbolXml(const HarmonyMark &mark, const Spot &spot);
std::string romanNumeralXml(const HarmonyMark &mark, const Spot &spot, int staff);
std::string keyNameXml(const HarmonyMark &mark, const Spot &spot, int staff);

// The root element's version attribute set to 4.0: the text from..to replaced by `text`.
struct VersionEdit {
    std::size_t from = 0, to = 0;
    std::string text;
};
VersionEdit versionEdit(std::string_view text, std::size_t root);

} // namespace tunedeck::annotate

#endif
