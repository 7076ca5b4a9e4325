// A Roman numeral in a key as the chord it names, as When in Rome's analyses are read: in
// minor a lower-case vi or vii is the raised one, a seventh is the key's own unless marked.
#ifndef TUNEDECK_CHORDSCORE_NUMERALCHORDS_H
#define TUNEDECK_CHORDSCORE_NUMERALCHORDS_H

#include <string>
#include <string_view>
#include <variant>

namespace tunedeck::chordscore {

// What a numeral names in a key: a Harte label ("D:7/3") or why it is left out (a kind, as
// reported: "ninth", "unknown numeral").
struct NumeralLabel {
    std::string label;
};
struct NumeralLeftOut {
    std::string kind;
};
std::variant<NumeralLabel, NumeralLeftOut> labelOfNumeral(std::string_view figure, int keyCode);

} // namespace tunedeck::chordscore

#endif
