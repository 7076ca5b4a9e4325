#include "reports/numbertext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tunedeck {

namespace {

// Magnitude without overflow for the most negative value.
quint64 magnitude(qint64 value)
{
    return value < 0 ? quint64(0) - quint64(value) : quint64(value);
}

} // namespace

QString zeroPadded(qint64 value, int digits)
{
    QString text = QString::number(magnitude(value));
    if (text.size() < digits)
        text.prepend(QString(digits - text.size(), QLatin1Char('0')));
    if (value < 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString signedText(qint64 value)
{
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + QString::number(magnitude(value));
}

QString fixedDecimals(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString::number(value);
    decimals = std::clamp(decimals, 0, 60);

    // Round the shortest decimal text of the value, not its binary image: 0.0004065 is
    // stored a hair below ...065 yet reads, and must round, as a half.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific);
    const std::string sci(buf, res.ptr);
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
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

qint64 roundHalfAway(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = std::round(value); // std::round already takes halves away from zero
    // 2^63 is exact in double; anything at or beyond it saturates.
    constexpr double limit = 9223372036854775808.0;
    if (r >= limit)
        return std::numeric_limits<qint64>::max();
    if (r < -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(r);
}

} // namespace tunedeck
