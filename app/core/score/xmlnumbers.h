// Numbers as a score writes them: decimals for durations and divisions, and the number at
// the start of a text such as "c. 120" or "66-72".
#ifndef TUNEDECK_CORE_SCORE_XMLNUMBERS_H
#define TUNEDECK_CORE_SCORE_XMLNUMBERS_H

#include "core/score/fraction.h"

#include <optional>

namespace tunedeck::score {

// "[-]digits[.digits]" exactly, surrounding spaces allowed; what names the value in the
// refusal for any other text.
Fraction decimal(const char *text, const char *what);

// The first number in the text, if any.
std::optional<double> leadingNumber(const char *text);

} // namespace tunedeck::score

#endif
