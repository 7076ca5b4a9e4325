#include "core/annotate/harmonymarks.h"

#include "core/chords/spellednames.h"
#include "core/base/keycodes.h"
#include "core/harmony/romannumeral.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tunedeck::annotate {

namespace {

constexpr std::array<int, 7> StepFifths = {3, 5, 0, 2, 4, -1, 1};     // A..G on the circle from C
constexpr std::array<int, 7> MajorScale = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> MinorScale = {0, 2, 3, 5, 7, 8, 10};

// The Roman letters at the front of `text` as a degree: "vii" 7, "IV" 4; 0 for none.
int degreeOf(std::string_view letters)
{
    static constexpr std::array<std::string_view, 7> Numerals = {"i", "ii", "iii", "iv", "v", "vi", "vii"};
    std::string lower;
    for (char c : letters)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    const auto at = std::find(Numerals.begin(), Numerals.end(), lower);
    return at == Numerals.end() ? 0 : int(at - Numerals.begin()) + 1;
}

std::optional<NumeralDegree> oneNumeral(std::string_view text)
{
    NumeralDegree n;
    n.text = std::string(text);
    std::size_t i = 0;
    for (; i < text.size() && (text[i] == 'b' || text[i] == '#'); ++i)
        n.alter += text[i] == '#' ? 1 : -1;
    n.alterPrinted = n.alter != 0;
    const std::size_t from = i;
    while (i < text.size() && (text[i] == 'I' || text[i] == 'V' || text[i] == 'i' || text[i] == 'v'))
        ++i;
    n.degree = degreeOf(text.substr(from, i - from));
    if (n.degree == 0)
        return std::nullopt;
    n.lower = std::islower(static_cast<unsigned char>(text[from])) != 0;
    return n;
}

// The root's alteration against the key's scale on the numeral's degree.
int alterInKey(int rootPitchClass, int degree, int keyCode)
{
    const auto &scale = isMinorKey(keyCode) ? MinorScale : MajorScale;
    const int above = (rootPitchClass - tonicOf(keyCode) + 12) % 12;
    int alter = (above - scale[std::size_t(degree - 1)] + 12) % 12;
    return alter > 6 ? alter - 12 : alter;
}

int inversionOf(const harmony::Chord &chord)
{
    const auto tones = harmony::intervals(chord.quality);
    const auto at = std::find(tones.begin(), tones.end(), chord.bass);
    return at == tones.end() ? 0 : int(at - tones.begin());
}

HarmonyMark markOf(const chords::ChordSegment &s, const SpelledNames &names, bool spelled)
{
    HarmonyMark m;
    m.tick = s.tick;
    m.chord = s.chord;
    m.inversion = inversionOf(s.chord);
    // The root and bass as the analysis wrote them from the score's notes.
    const bool written = spelled && s.written;
    const auto rootText = written ? s.written->notes.root : std::string(harmony::rootName(s.chord.root, 0));
    const auto bassText = written ? s.written->notes.bass : std::string(harmony::rootName(harmony::bassPitchClass(s.chord), 0));
    m.root = parsePitch(rootText).value_or(SpelledPitch{});
    m.bass = parsePitch(bassText).value_or(SpelledPitch{});
    m.numerals = parseNumeral(harmony::romanNumeral(s.chord, s.keyCode));
    if (m.numerals.size() == 1)
        m.numerals.front().alter = alterInKey(s.chord.root, m.numerals.front().degree, s.keyCode);
    if (const auto key = parseKey(names.keyAt(s.keyCode, s.tick)))
        m.key = *key;
    return m;
}

} // namespace

std::optional<SpelledPitch> parsePitch(std::string_view name)
{
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        return std::nullopt;
    SpelledPitch p{name[0], 0};
    for (char c : name.substr(1)) {
        if (c != '#' && c != 'b')
            return std::nullopt;
        p.alter += c == '#' ? 1 : -1;
    }
    return p;
}

std::vector<NumeralDegree> parseNumeral(std::string_view roman)
{
    std::vector<NumeralDegree> out;
    while (!roman.empty()) {
        const std::size_t slash = roman.find('/');
        const auto numeral = oneNumeral(roman.substr(0, slash));
        if (!numeral)
            return {};
        out.push_back(*numeral);
        roman = slash == std::string_view::npos ? std::string_view() : roman.substr(slash + 1);
    }
    return out;
}

std::optional<WrittenKey> parseKey(std::string_view name)
{
    const std::size_t space = name.find(' ');
    if (space == std::string_view::npos || name.empty())
        return std::nullopt;
    const std::string_view mode = name.substr(space + 1);
    std::string written(name.substr(0, space));
    written[0] = char(std::toupper(static_cast<unsigned char>(written[0])));
    const auto tonic = parsePitch(written);
    if (!tonic || (mode != "major" && mode != "minor"))
        return std::nullopt;
    WrittenKey key;
    key.minor = mode == "minor";
    key.fifths = StepFifths[std::size_t(tonic->step - 'A')] + 7 * tonic->alter - (key.minor ? 3 : 0);
    key.name = std::string(name);
    return key;
}

std::vector<HarmonyMark> harmonyMarks(const FileAnalysis &analysis)
{
    const SpelledNames names(analysis.spelling.get(), analysis.profile ? &*analysis.profile : nullptr);
    std::vector<HarmonyMark> marks;
    int lastKey = NoKey;
    for (const chords::ChordSegment &s : analysis.chords) {
        if (s.chord.none())
            continue;
        HarmonyMark m = markOf(s, names, analysis.spelling != nullptr);
        m.keyChanges = isKeyCode(s.keyCode) && s.keyCode != lastKey;
        lastKey = s.keyCode;
        marks.push_back(std::move(m));
    }
    return marks;
}

} // namespace tunedeck::annotate
