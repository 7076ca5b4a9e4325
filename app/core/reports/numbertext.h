// The number texts the window shows: zero-padded pictures and signed text.
#ifndef TUNEDECK_CORE_REPORTS_NUMBERTEXT_H
#define TUNEDECK_CORE_REPORTS_NUMBERTEXT_H

#include <cstdint>
#include <string>

namespace tunedeck {

// A picture of `digits` zeros: at least that many digits, zero-padded; a negative
// number keeps its sign in front ("-005").
std::string zeroPadded(std::int64_t value, int digits);

// A number written without a picture: one blank before a non-negative number, "-" before
// a negative one (" 5", "-5").
std::string signedText(std::int64_t value);

// "0.000000"-style picture: `decimals` decimals, rounded half away from zero; "inf",
// "-inf" and "nan" for what is no number.
std::string fixedDecimals(double value, int decimals);

// At most `digits` significant digits (1 to 17) without trailing zeros, in exponent form when
// the exponent is below -4 or not below `digits` ("0.123", "1.235e+05", "1e-05"): printf's
// "%g", but halves of the binary value rounded away from zero and a zero written unsigned.
std::string significantDigits(double value, int digits);

// The shortest text in exponent form that reads back as the finite value ("1.5e+00",
// "-2.5e-07"), as floating-point to_chars writes it, also where the library lacks it.
std::string shortestScientific(double value);

// Rounds half away from zero (12.5 -> 13, -12.5 -> -13).
std::int64_t roundHalfAway(double value);

} // namespace tunedeck

#endif
