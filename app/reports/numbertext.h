// The number texts the window shows: zero-padded pictures and signed text.
#ifndef TUNEDECK_NUMBERTEXT_H
#define TUNEDECK_NUMBERTEXT_H

#include <QString>

namespace tunedeck {

// A picture of `digits` zeros: at least that many digits, zero-padded; a negative
// number keeps its sign in front ("-005").
QString zeroPadded(qint64 value, int digits);

// A number written without a picture: one blank before a non-negative number, "-" before
// a negative one (" 5", "-5").
QString signedText(qint64 value);

// "0.000000"-style picture: `decimals` decimals, rounded half away from zero.
QString fixedDecimals(double value, int decimals);

// Rounds half away from zero (12.5 -> 13, -12.5 -> -13).
qint64 roundHalfAway(double value);

} // namespace tunedeck

#endif
