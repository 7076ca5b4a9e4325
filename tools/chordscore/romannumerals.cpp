#include "chordscore/romannumerals.h"

#include "core/base/keycodes.h"

#include <cctype>

namespace tunedeck::chordscore {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string replaced(std::string_view s, std::string_view from, std::string_view to)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        if (s.substr(i, from.size()) == from) {
            out += to;
            i += from.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

} // namespace

std::string normaliseRoman(std::string_view figure, int keyCode)
{
    std::string s;
    for (std::size_t i = 0; i < figure.size(); ++i) {
        if (figure[i] == '[') {
            const std::size_t close = figure.find(']', i);
            if (close != std::string_view::npos) {
                i = close;
                continue;
            }
        }
        if (figure[i] != ' ')
            s += figure[i];
    }
    s = replaced(replaced(replaced(s, "\u00b0", "o"), "%", "\u00f8"), "/o", "\u00f8");
    // A slash between digits is the figure's own; one before a numeral marks an applied chord.
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '/' && i > 0 && i + 1 < s.size() && isDigit(s[i - 1]) && isDigit(s[i + 1])))
            out += s[i];
    // Each figure whole: the digits between other characters.
    s.clear();
    for (std::size_t i = 0; i < out.size();) {
        if (!isDigit(out[i])) {
            s += out[i++];
            continue;
        }
        std::size_t end = i;
        while (end < out.size() && isDigit(out[end]))
            ++end;
        const std::string digits = out.substr(i, end - i);
        s += digits == "42" ? "2" : digits == "63" ? "6" : digits == "53" ? "" : digits;
        i = end;
    }
    if (s.starts_with("Cad64")) {
        const std::size_t slash = s.find('/');
        std::size_t target = slash == std::string::npos ? s.size() : slash + 1;
        while (target < s.size() && (s[target] == 'b' || s[target] == '#'))
            ++target;
        const bool minor = target < s.size() ? std::islower(static_cast<unsigned char>(s[target])) != 0
                                             : isMinorKey(keyCode);
        s = (minor ? "i64" : "I64") + s.substr(5);
    }
    return s;
}

RomanMeasures measureRomans(const std::vector<ChordRow> &reference, const std::vector<ChordRow> &adjusted)
{
    RomanMeasures m;
    double key = 0, roman = 0;
    forEachPiece(reference, adjusted, [&](std::int64_t from, std::int64_t to, std::size_t r, std::size_t e) {
        const ChordRow &ref = reference[r], &est = adjusted[e];
        if (!isKeyCode(ref.keyCode) || from >= ref.end)
            return;
        m.annotated += to - from;
        if (est.keyCode != ref.keyCode)
            return;
        key += double(to - from);
        if (normaliseRoman(est.roman, est.keyCode) == normaliseRoman(ref.roman, ref.keyCode))
            roman += double(to - from);
    });
    if (m.annotated > 0) {
        m.key = key / double(m.annotated);
        m.roman = roman / double(m.annotated);
    }
    return m;
}

} // namespace tunedeck::chordscore
