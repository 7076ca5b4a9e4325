#include "chordscore/numeralchords.h"

#include "chordscore/romannumerals.h"

#include "core/base/keycodes.h"

#include <array>
#include <cctype>
#include <optional>
#include <vector>

namespace tunedeck::chordscore {

namespace {

constexpr std::array<int, 7> MajorScale = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> MinorScale = {0, 2, 3, 5, 7, 8, 10};

int pc(int n) { return (n % 12 + 12) % 12; }

struct Degree {
    int root = 0;    // pitch class
    int degree = 0;  // 0..6, the scale step the numeral names
    bool lower = false;
};

// Accidentals, then a numeral from I to VII in either case; s is moved past them.
std::optional<Degree> readDegree(std::string_view &s, int keyCode)
{
    int shift = 0;
    for (; !s.empty() && (s[0] == 'b' || s[0] == '#' || s[0] == '-'); s.remove_prefix(1))
        shift += s[0] == '#' ? 1 : -1;
    static constexpr std::array<std::string_view, 7> Names = {"VII", "VI", "V", "IV", "III", "II", "I"};
    static constexpr std::array<int, 7> Steps = {6, 5, 4, 3, 2, 1, 0};
    for (std::size_t i = 0; i < Names.size(); ++i) {
        const std::string_view name = Names[i];
        if (s.size() < name.size())
            continue;
        bool upper = true, lower = true;
        for (std::size_t k = 0; k < name.size(); ++k) {
            upper &= s[k] == name[k];
            lower &= s[k] == char(std::tolower(static_cast<unsigned char>(name[k])));
        }
        if (!upper && !lower)
            continue;
        s.remove_prefix(name.size());
        const bool minor = isMinorKey(keyCode);
        const int step = Steps[i];
        // When in Rome's minor: a lower-case sixth or seventh is the raised one, and a flat
        // lowers the major key's degree ("bVII" in a: is G, as VII is).
        const int raised = minor && step >= 5 && lower && shift == 0 ? 1 : 0;
        const auto &scale = minor && shift >= 0 ? MinorScale : MajorScale;
        return Degree{pc(tonicOf(keyCode) + scale[std::size_t(step)] + raised + shift), step, lower};
    }
    return std::nullopt;
}

std::vector<std::string_view> split(std::string_view s, char by)
{
    std::vector<std::string_view> parts;
    for (std::size_t at; (at = s.find(by)) != std::string_view::npos; s.remove_prefix(at + 1))
        parts.push_back(s.substr(0, at));
    parts.push_back(s);
    return parts;
}

// The key an applied chord's targets name, read from the last: "V/V/vi" is V of the key of V of vi.
std::optional<int> appliedKey(const std::vector<std::string_view> &parts, int keyCode)
{
    for (std::size_t i = parts.size(); i-- > 1;) {
        std::string_view target = parts[i];
        const std::optional<Degree> d = readDegree(target, keyCode);
        if (!d || !target.empty())
            return std::nullopt;
        keyCode = keyCodeOf(d->root, d->lower);
    }
    return keyCode;
}

std::string bassName(int interval)
{
    static constexpr std::array<const char *, 12> Names = {"1", "b2", "2", "b3", "3", "4", "b5", "5", "#5", "bb7", "b7", "7"};
    return Names[std::size_t(pc(interval))];
}

std::string rootName(int root)
{
    static constexpr std::array<const char *, 12> Names = {"C", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
    return Names[std::size_t(pc(root))];
}

std::optional<std::string> qualityOf(int third, int fifth, std::optional<int> seventh)
{
    if (!seventh) {
        if (fifth == 8)
            return "aug";
        if (fifth == 6)
            return "dim";
        return third == 4 ? "maj" : "min";
    }
    const int key = third * 100 + fifth * 10 + *seventh; // small enough to tell apart
    switch (key) {
    case 470 + 10: return "7";
    case 470 + 11: return "maj7";
    case 370 + 10: return "min7";
    case 370 + 11: return "minmaj7";
    case 360 + 9: return "dim7";
    case 360 + 10: return "hdim7";
    case 480 + 10: return "aug(b7)";
    case 480 + 11: return "aug(7)";
    default: return std::nullopt;
    }
}

// The tone over the bass, 0 root ... 3 seventh, and whether the figure is a seventh chord's.
struct Figure {
    int position = 0;
    bool seventh = false;
};
std::optional<Figure> figureOf(std::string_view digits)
{
    if (digits.empty() || digits == "5")
        return Figure{0, false};
    if (digits == "6")
        return Figure{1, false};
    if (digits == "64")
        return Figure{2, false};
    if (digits == "7" || digits == "9") // a ninth as its seventh chord, as the corpus' rows read it
        return Figure{0, true};
    if (digits == "65")
        return Figure{1, true};
    if (digits == "43")
        return Figure{2, true};
    if (digits == "2")
        return Figure{3, true};
    return std::nullopt;
}

NumeralLeftOut leftOut(std::string kind) { return NumeralLeftOut{std::move(kind)}; }

// It, Ger and Fr: the chord on the lowered sixth, as a dominant seventh over it in their usual
// positions ("It6", "Ger65", "Fr43"), the tonic below it in "Ger43".
std::variant<NumeralLabel, NumeralLeftOut> augmentedSixth(std::string_view name, std::string_view digits, int keyCode)
{
    const bool usual = digits.empty() || digits == "7" || (name == "It" && digits == "6") ||
                       (name == "Ger" && digits == "65") || (name == "Fr" && digits == "43");
    if (!usual && !(name == "Ger" && digits == "43"))
        return leftOut("augmented sixth, other figure");
    const std::string root = rootName(tonicOf(keyCode) + 8);
    return NumeralLabel{root + ":7" + (usual ? "" : "/3")};
}

} // namespace

std::variant<NumeralLabel, NumeralLeftOut> labelOfNumeral(std::string_view figure, int keyCode)
{
    if (!isKeyCode(keyCode))
        return leftOut("no key before it");
    // An omitted fifth leaves the chord the numeral names; other tones added, omitted or
    // altered make one the measures have no name for.
    for (std::size_t open = figure.find('['); open != std::string_view::npos; open = figure.find('[', open + 1))
        if (figure.substr(open, 5) != "[no5]")
            return leftOut("tones added, omitted or altered in brackets");
    const std::string normal = normaliseRoman(figure, keyCode);
    const std::vector<std::string_view> parts = split(normal, '/');
    const std::optional<int> key = appliedKey(parts, keyCode);
    if (!key)
        return leftOut("applied to an unread numeral");
    std::string_view s = parts[0];
    for (std::string_view name : {"It", "Ger", "Fr"})
        if (s.starts_with(name)) {
            s.remove_prefix(name.size());
            return augmentedSixth(name, s, *key);
        }
    std::optional<Degree> d;
    if (s.starts_with("N")) { // the Neapolitan: the major chord on the lowered second
        s.remove_prefix(1);
        d = Degree{pc(tonicOf(*key) + 1), 1, false};
    } else if (!(d = readDegree(s, *key))) {
        return leftOut("unknown numeral");
    }
    bool diminished = false, half = false, augmented = false, major = false;
    std::string digits;
    while (!s.empty()) {
        if (s.starts_with("o")) {
            diminished = true;
            s.remove_prefix(1);
        } else if (s.starts_with("\u00f8")) {
            half = true;
            s.remove_prefix(std::string_view("\u00f8").size());
        } else if (s.starts_with("+")) {
            augmented = true;
            s.remove_prefix(1);
        } else if (s.starts_with("maj") || s.starts_with("M")) {
            major = true;
            s.remove_prefix(s.starts_with("maj") ? 3 : 1);
        } else if (std::isdigit(static_cast<unsigned char>(s[0])) && digits.empty()) {
            while (!s.empty() && std::isdigit(static_cast<unsigned char>(s[0]))) {
                digits += s[0];
                s.remove_prefix(1);
            }
        } else {
            return leftOut("altered tone in the figure");
        }
    }
    const std::optional<Figure> f = figureOf(digits);
    if (!f)
        return leftOut("figure " + digits);
    const int third = diminished || half || d->lower ? 3 : 4;
    const int fifth = augmented ? 8 : diminished || half ? 6 : 7;
    std::optional<int> seventh;
    if (f->seventh) {
        // Unmarked, the key's own seventh above the degree's scale step.
        const auto &scale = isMinorKey(*key) ? MinorScale : MajorScale;
        seventh = major ? 11 : diminished ? 9 : half ? 10
                                          : pc(tonicOf(*key) + scale[std::size_t((d->degree + 6) % 7)] - d->root);
    }
    const std::optional<std::string> quality = qualityOf(third, fifth, seventh);
    if (!quality)
        return leftOut("seventh chord of no named quality");
    const std::array<int, 4> tones = {0, third, fifth, seventh.value_or(0)};
    std::string label = rootName(d->root) + ":" + *quality;
    if (f->position > 0)
        label.append("/").append(bassName(tones[std::size_t(f->position)]));
    return NumeralLabel{label};
}

} // namespace tunedeck::chordscore
