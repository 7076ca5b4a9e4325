#include "core/score/xmlnumbers.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace tunedeck::score {

Fraction decimal(const char *text, const char *what)
{
    const char *p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    std::int64_t num = 0, den = 1;
    int digits = 0, fractionDigits = 0;
    bool point = false;
    for (; std::isdigit(static_cast<unsigned char>(*p)) || (*p == '.' && !point); ++p) {
        if (*p == '.') {
            point = true;
            continue;
        }
        // Beyond 15 digits of a whole number or 9 of a fraction, nothing a score means.
        if (point && fractionDigits == 9)
            continue;
        if (!point && digits == 15)
            throw ScoreError(std::string("its ") + what + " of " + text + " is too large");
        num = num * 10 + (*p - '0');
        ++digits;
        if (point) {
            ++fractionDigits;
            den *= 10;
        }
    }
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (digits == 0 || *p != '\0')
        throw ScoreError(std::string("its ") + what + " \"" + text + "\" is not a number");
    return Fraction{negative ? -num : num, den};
}

std::optional<double> leadingNumber(const char *text)
{
    // A lone digit, as most alters are, read without strtod: the same value, "-0" too.
    const bool negative = text[0] == '-';
    const char *digit = text + (negative ? 1 : 0);
    if (std::isdigit(static_cast<unsigned char>(digit[0])) && digit[1] == '\0')
        return negative ? -double(digit[0] - '0') : double(digit[0] - '0');
    for (const char *p = text; *p; ++p) {
        if (std::isdigit(static_cast<unsigned char>(*p))
            || ((*p == '-' || *p == '.') && std::isdigit(static_cast<unsigned char>(p[1])))) {
            return std::strtod(p, nullptr);
        }
    }
    return std::nullopt;
}

} // namespace tunedeck::score
