// The Roman numerals against the annotated ones, and the local keys they are read in.
#ifndef TUNEDECK_CHORDSCORE_ROMANNUMERALS_H
#define TUNEDECK_CHORDSCORE_ROMANNUMERALS_H

#include "chordscore/chordmeasures.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::chordscore {

// A figure as the corpus compares them: spaces and the slash inside figures dropped ("V6/5"
// is "V65"; "V65/V" keeps its applied slash), "42" = "2", "63" = "6", "53" = nothing, "°" =
// "o", "%" and "/o" = "ø", bracketed added or omitted tones dropped ("[no5]"), and "Cad64" =
// "I64" ("i64" in a minor key, or towards a minor degree: "Cad64/v").
std::string normaliseRoman(std::string_view figure, int keyCode);

struct RomanMeasures {
    // Shares of the annotated time that has a local key: where the estimate's key is the
    // annotated one, and where its numeral is too. Nothing without such time.
    std::optional<double> key, roman;
    std::int64_t annotated = 0;
};

// Over the reference rows' own time (a gap or an estimate without a key is wrong); the
// estimate adjusted as adjustedEstimate gives it.
RomanMeasures measureRomans(const std::vector<ChordRow> &reference, const std::vector<ChordRow> &adjusted);

} // namespace tunedeck::chordscore

#endif
