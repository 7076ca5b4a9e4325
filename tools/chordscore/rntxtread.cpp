#include "chordscore/rntxtread.h"

#include "chordscore/chordmeasures.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <sstream>
#include <utility>

namespace tunedeck::chordscore {

namespace {

std::optional<std::int64_t> number(std::string_view s)
{
    std::int64_t n = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return n;
}

struct MeasureToken {
    std::int64_t first = 0, last = 0; // "m5-7": 5 and 7
    int which = 0;                    // "m12b": 1
};

// "m12", "m12a", "m12b", "m5-7" ("5-7" too where a repeat names its source); nothing for
// anything else.
std::optional<MeasureToken> measureToken(std::string_view t)
{
    if (t.starts_with('m'))
        t.remove_prefix(1);
    MeasureToken m;
    if (!t.empty() && (t.back() == 'a' || t.back() == 'b' || t.back() == 'c')) {
        m.which = t.back() - 'a';
        t.remove_suffix(1);
    }
    const std::size_t dash = t.find('-');
    const std::optional<std::int64_t> first = number(t.substr(0, dash));
    const std::optional<std::int64_t> last = dash == std::string_view::npos ? first : number(t.substr(dash + 1));
    if (!first || !last || *last < *first)
        return std::nullopt;
    m.first = *first;
    m.last = *last;
    return m;
}

std::optional<double> beatToken(std::string_view t)
{
    if (t.size() < 2 || t[0] != 'b' || !std::isdigit(static_cast<unsigned char>(t[1])))
        return std::nullopt;
    double beat = 0;
    const auto [end, ec] = std::from_chars(t.data() + 1, t.data() + t.size(), beat);
    if (ec != std::errc() || end != t.data() + t.size())
        return std::nullopt;
    // Thirds are written to two places: "b2.33", "b1.67".
    const double whole = double(std::int64_t(beat)), part = beat - whole;
    for (double third : {1.0 / 3, 2.0 / 3})
        if (part > third - 0.02 && part < third + 0.02)
            return whole + third;
    return beat;
}

bool isBarline(std::string_view t)
{
    return !t.empty() && t.find_first_not_of("|:.") == std::string_view::npos;
}

// "m5-7 = m1-3": the chords of measures 1 to 3 again in 5 to 7, as if written there: in the
// key in force, up to a key written among them.
void copyMeasures(const MeasureToken &to, const MeasureToken &from, int &key, RomanTextRead &read)
{
    const std::size_t had = read.chords.size();
    // The chord sounding as the copied measures start, where none is written on their downbeat.
    const RomanChord *held = nullptr;
    bool downbeat = false;
    for (std::size_t i = 0; i < had; ++i) {
        const RomanChord &c = read.chords[i];
        if (c.measure < from.first && (!held || std::pair(c.measure, c.beat) >= std::pair(held->measure, held->beat)))
            held = &c;
        downbeat |= c.measure == from.first && c.beat <= 1;
    }
    if (held && !downbeat) {
        RomanChord c = *held;
        c.measure = to.first;
        c.which = 0;
        c.beat = 1;
        if (c.keyWritten)
            key = c.keyCode;
        c.keyCode = key;
        read.chords.push_back(std::move(c));
    }
    for (std::size_t i = 0; i < had; ++i) {
        RomanChord c = read.chords[i];
        if (c.measure < from.first || c.measure > from.last || c.measure - from.first > to.last - to.first)
            continue;
        c.measure += to.first - from.first;
        if (c.keyWritten)
            key = c.keyCode;
        c.keyCode = key;
        read.chords.push_back(std::move(c));
    }
}

// The tokens after a measure line's number.
void readChords(const MeasureToken &m, std::istringstream &tokens, int &key, RomanTextRead &read)
{
    double beat = 1;
    bool written = false;
    for (std::string token; tokens >> token;) {
        std::string_view t = token;
        if (const std::optional<double> b = beatToken(t)) {
            beat = *b;
            continue;
        }
        if (isBarline(t))
            continue;
        if (const std::size_t colon = t.find(':'); colon != std::string_view::npos) {
            const int code = keyCodeOfToken(t.substr(0, colon + 1));
            if (code == NoKey) {
                read.problems.push_back(std::to_string(m.first).insert(0, 1, 'm').append(": not a key: ").append(token));
                continue;
            }
            key = code;
            written = true;
            t.remove_prefix(colon + 1);
            if (t.empty())
                continue;
        }
        read.chords.push_back({m.first, m.which, beat, key, written, false, std::string(t)});
        written = false;
    }
}

} // namespace

int keyCodeOfToken(std::string_view token)
{
    if (token.size() < 2 || token.back() != ':')
        return NoKey;
    // A lower-case letter names a minor key; RomanText writes a flat as '-' too.
    std::string name(token.substr(0, token.size() - 1));
    name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
    std::replace(name.begin(), name.end(), '-', 'b');
    const std::optional<int> tonic = pitchClass(name);
    return tonic ? keyCodeOf(*tonic, std::islower(static_cast<unsigned char>(token[0])) != 0) : NoKey;
}

RomanTextRead readRomanText(std::string_view text)
{
    RomanTextRead read;
    int key = NoKey;
    bool slow = false;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        // "m8=m7" as "m8 = m7"; a no-break space as a space.
        std::string spaced;
        for (std::size_t i = 0; i < line.size(); ++i)
            if (line[i] == '=')
                spaced += " = ";
            else if (line.compare(i, 2, "\xc2\xa0") == 0)
                spaced += ' ', ++i;
            else
                spaced += line[i];
        std::istringstream tokens(spaced);
        std::string first;
        if (!(tokens >> first))
            continue;
        if (first.size() < 2 || first[0] != 'm' || !std::isdigit(static_cast<unsigned char>(first[1]))) {
            // Headers and notes; the score's own meters place the beats, but a compound
            // meter written slow counts its notes.
            std::string lower;
            for (char c : line)
                lower += char(std::tolower(static_cast<unsigned char>(c)));
            if (lower.starts_with("time signature"))
                slow = lower.find("slow") != std::string::npos;
            continue;
        }
        if (first.ends_with(':'))
            first.pop_back(); // "m13:"
        if (first.find("var") != std::string::npos)
            continue; // another reading of a measure
        const std::optional<MeasureToken> m = measureToken(first);
        if (!m) {
            read.problems.push_back("not a measure: " + first);
            continue;
        }
        std::string next;
        const std::streampos at = tokens.tellg();
        if (tokens >> next && next == "=") {
            std::string source;
            tokens >> source;
            if (const std::optional<MeasureToken> from = measureToken(source))
                copyMeasures(*m, *from, key, read);
            else
                read.problems.push_back(first + ": not a measure to repeat: " + source);
            continue;
        }
        if (m->last != m->first) {
            read.problems.push_back(first + ": a range with chords");
            continue;
        }
        tokens.clear();
        tokens.seekg(at);
        const std::size_t had = read.chords.size();
        readChords(*m, tokens, key, read);
        for (std::size_t i = had; i < read.chords.size(); ++i)
            read.chords[i].slow = slow;
    }
    return read;
}

} // namespace tunedeck::chordscore
