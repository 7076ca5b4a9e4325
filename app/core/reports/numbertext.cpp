#include "core/reports/numbertext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace tunedeck {

namespace {

// Magnitude without overflow for the most negative value.
std::uint64_t magnitude(std::int64_t value)
{
    return value < 0 ? std::uint64_t(0) - std::uint64_t(value) : std::uint64_t(value);
}

#if !defined(__cpp_lib_to_chars)
// The scientific text one unit of its last digit up or down: "9.99e-01" up is "1.00e+00".
std::string neighbour(const std::string &text, bool up)
{
    const std::size_t e = text.find('e');
    std::string digits = text.substr(0, e);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    int exponent = std::atoi(text.c_str() + e + 1);
    int i = int(digits.size()) - 1;
    for (; i >= 0 && digits[std::size_t(i)] == (up ? '9' : '0'); --i)
        digits[std::size_t(i)] = up ? '0' : '9';
    if (i >= 0) {
        digits[std::size_t(i)] = char(digits[std::size_t(i)] + (up ? 1 : -1));
    } else { // all nines up; down never gets here, a positive value's first digit being no 0
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        ++exponent;
    }
    if (digits[0] == '0') {
        digits.erase(digits.begin());
        digits.push_back('9');
        --exponent;
    }
    char exp[16];
    std::snprintf(exp, sizeof exp, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + exp;
}
#endif

// A non-negative finite value in scientific notation: the shortest text that reads back as
// the value, or with `precision` digits after the point.
std::string scientific(double value, int precision = -1)
{
#if defined(__cpp_lib_to_chars)
    char buf[1024];
    const auto res = precision < 0 ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific)
                                   : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision);
    return std::string(buf, res.ptr);
#else
    // Without floating-point to_chars (emscripten's libc++): printf rounds correctly, so at
    // each length the nearest text or its neighbour on the value's other side is the one that
    // may read back; the first length where one does is the shortest, the nearest preferred.
    char buf[1024];
    if (precision >= 0) {
        std::snprintf(buf, sizeof buf, "%.*e", precision, value);
        return buf;
    }
    for (int p = 0;; ++p) {
        std::snprintf(buf, sizeof buf, "%.*e", p, value);
        const double nearest = std::strtod(buf, nullptr);
        if (nearest == value || p == 17)
            return buf;
        std::string text = neighbour(buf, nearest < value);
        if (std::strtod(text.c_str(), nullptr) == value)
            return text;
    }
#endif
}

} // namespace

std::string shortestScientific(double value)
{
    return value < 0 ? "-" + scientific(-value) : scientific(value);
}

std::string zeroPadded(std::int64_t value, int digits)
{
    std::string text = std::to_string(magnitude(value));
    if (int(text.size()) < digits)
        text.insert(0, std::size_t(digits) - text.size(), '0');
    if (value < 0)
        text.insert(text.begin(), '-');
    return text;
}

std::string signedText(std::int64_t value)
{
    std::string text = std::to_string(magnitude(value));
    text.insert(text.begin(), value < 0 ? '-' : ' ');
    return text;
}

std::string fixedDecimals(double value, int decimals)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    decimals = std::clamp(decimals, 0, 60);

    // Round the shortest decimal text of the value, not its binary image: 0.0004065 is
    // stored a hair below ...065 yet reads, and must round, as a half.
    const std::string sci = scientific(std::fabs(value));
    const auto ePos = sci.find('e');
    std::string mantissa = sci.substr(0, ePos);
    mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
    const int exponent = std::stoi(sci.substr(ePos + 1));

    // Number = 0.<mantissa> x 10^intDigits.
    const int intDigits = exponent + 1;
    std::string intPart;
    std::string fracPart;
    if (intDigits > 0) {
        if (int(mantissa.size()) < intDigits)
            mantissa.append(std::size_t(intDigits) - mantissa.size(), '0');
        intPart = mantissa.substr(0, std::size_t(intDigits));
        fracPart = mantissa.substr(std::size_t(intDigits));
    } else {
        intPart = "0";
        fracPart = std::string(std::size_t(-intDigits), '0') + mantissa;
    }
    if (int(fracPart.size()) < decimals + 1)
        fracPart.append(std::size_t(decimals + 1) - fracPart.size(), '0');

    const bool roundUp = fracPart[std::size_t(decimals)] >= '5';
    std::string kept = intPart + fracPart.substr(0, std::size_t(decimals));
    if (roundUp) {
        int i = int(kept.size()) - 1;
        for (; i >= 0 && kept[std::size_t(i)] == '9'; --i)
            kept[std::size_t(i)] = '0';
        if (i >= 0)
            ++kept[std::size_t(i)];
        else
            kept.insert(kept.begin(), '1');
    }

    const std::size_t intLen = kept.size() - std::size_t(decimals);
    std::string text = kept.substr(0, intLen);
    if (decimals > 0)
        text += '.' + kept.substr(intLen);
    // A value that rounds to zero is written without a sign.
    const bool allZero = kept.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !allZero)
        text.insert(text.begin(), '-');
    return text;
}

std::string significantDigits(double value, int digits)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    if (value == 0)
        return "0";
    const std::size_t kept = std::size_t(std::clamp(digits, 1, 17));

    // Every digit of the binary value (at most 767), so that only a true half rounds as one.
    const std::string sci = scientific(std::fabs(value), 780);
    const auto ePos = sci.find('e');
    std::string mantissa = sci.substr(0, ePos);
    mantissa.erase(1, 1); // the point
    int exponent = std::stoi(sci.substr(ePos + 1));

    std::string text = mantissa.substr(0, kept);
    if (mantissa[kept] >= '5') {
        int i = int(kept) - 1;
        for (; i >= 0 && text[std::size_t(i)] == '9'; --i)
            text[std::size_t(i)] = '0';
        if (i >= 0) {
            ++text[std::size_t(i)];
        } else {
            text.insert(text.begin(), '1');
            text.pop_back();
            ++exponent;
        }
    }
    text.erase(std::max<std::size_t>(1, text.find_last_not_of('0') + 1));

    std::string out = value < 0 ? "-" : "";
    if (exponent < -4 || exponent >= int(kept)) {
        out += text.substr(0, 1);
        if (text.size() > 1)
            out += '.' + text.substr(1);
        const std::string power = std::to_string(std::abs(exponent));
        out += exponent < 0 ? "e-" : "e+";
        out += (power.size() < 2 ? "0" : "") + power;
    } else if (exponent >= 0) {
        if (text.size() < std::size_t(exponent) + 1)
            text.append(std::size_t(exponent) + 1 - text.size(), '0');
        out += text.substr(0, std::size_t(exponent) + 1);
        if (text.size() > std::size_t(exponent) + 1)
            out += '.' + text.substr(std::size_t(exponent) + 1);
    } else {
        out += "0." + std::string(std::size_t(-exponent - 1), '0') + text;
    }
    return out;
}

std::int64_t roundHalfAway(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = std::round(value); // std::round already takes halves away from zero
    // 2^63 is exact in double; anything at or beyond it saturates.
    constexpr double limit = 9223372036854775808.0;
    if (r >= limit)
        return std::numeric_limits<std::int64_t>::max();
    if (r < -limit)
        return std::numeric_limits<std::int64_t>::min();
    return std::int64_t(r);
}

} // namespace tunedeck
