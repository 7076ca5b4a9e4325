// Every numeral read back the way When in Rome's analyses are read (in minor a lower-case
// sixth or seventh is the raised one) names the chord's own notes, and none alters the tonic.
#include "core/base/keycodes.h"
#include "core/harmony/chord.h"
#include "core/harmony/romannumeral.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

using namespace tunedeck;
using namespace tunedeck::harmony;

namespace {

constexpr std::array<int, 7> MajorScale = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> MinorScale = {0, 2, 3, 5, 7, 8, 10};

struct Degree {
    int root = -1; // pitch class
    bool lower = false;
};

// "bVI", "#iii", "vii" in a key: the root the numeral names.
std::optional<Degree> readDegree(std::string_view &s, int tonic, bool minor)
{
    static constexpr std::array<std::string_view, 7> Numerals = {"I", "II", "III", "IV", "V", "VI", "VII"};
    const std::size_t from = std::min(s.find_first_not_of("b#"), s.size());
    const std::size_t to = std::min(s.find_first_not_of("IViv", from), s.size());
    std::string numeral(s.substr(from, to - from));
    const bool lower = !numeral.empty() && std::islower(static_cast<unsigned char>(numeral[0]));
    for (char &c : numeral)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const auto degree = std::size_t(std::find(Numerals.begin(), Numerals.end(), numeral) - Numerals.begin());
    if (degree == Numerals.size())
        return std::nullopt;
    int root = tonic + (minor ? MinorScale : MajorScale)[degree] + (minor && degree >= 5 && lower ? 1 : 0);
    for (char c : s.substr(0, from))
        root += c == '#' ? 1 : -1;
    s.remove_prefix(to);
    return Degree{(root + 24) % 12, lower};
}

// The quality and the member in the bass from the marks and figures after the numeral.
std::optional<Chord> readQuality(std::string_view marks, bool lower)
{
    if (marks == "sus4" || marks == "sus2" || marks == "[add6]")
        return Chord{0, marks == "sus4" ? Quality::Sus4 : marks == "sus2" ? Quality::Sus2 : lower ? Quality::Minor6 : Quality::Major6, 0};
    static constexpr std::array<std::string_view, 7> Figures = {"", "6", "64", "7", "65", "43", "42"};
    std::string_view figure = marks;
    for (std::string_view mark : {"o", "\u00f8", "+", "maj"})
        if (figure.starts_with(mark))
            figure.remove_prefix(mark.size());
    const std::string_view mark = marks.substr(0, marks.size() - figure.size());
    const auto at = std::size_t(std::find(Figures.begin(), Figures.end(), figure) - Figures.begin());
    if (at == Figures.size())
        return std::nullopt;
    const bool seventh = at >= 3;
    const Quality q = mark == "o" ? (seventh ? Quality::Diminished7 : Quality::Diminished)
                    : mark == "\u00f8" ? Quality::HalfDiminished7 : mark == "+" ? Quality::Augmented
                    : mark == "maj" ? Quality::Major7 : seventh ? (lower ? Quality::Minor7 : Quality::Dominant7)
                    : lower ? Quality::Minor : Quality::Major;
    return Chord{0, q, intervals(q)[seventh ? at - 3 : at]};
}

// A numeral in a key read back as a chord; an applied one is read in the key of its target,
// minor for a lower-case target.
std::optional<Chord> readNumeral(std::string_view roman, int keyCode)
{
    int tonic = tonicOf(keyCode);
    bool minor = isMinorKey(keyCode);
    if (const std::size_t slash = roman.find('/'); slash != std::string_view::npos) {
        std::string_view target = roman.substr(slash + 1);
        const std::optional<Degree> to = readDegree(target, tonic, minor);
        if (!to || !target.empty())
            return std::nullopt;
        tonic = to->root;
        minor = to->lower;
        roman = roman.substr(0, slash);
    }
    const std::optional<Degree> degree = readDegree(roman, tonic, minor);
    if (!degree)
        return std::nullopt;
    std::optional<Chord> chord = readQuality(roman, degree->lower);
    if (chord)
        chord->root = degree->root;
    return chord;
}

bool altersTonic(std::string_view roman)
{
    const std::size_t letters = roman.find_first_not_of("b#");
    return letters > 0 && letters < roman.size() && (roman[letters] == 'I' || roman[letters] == 'i')
           && (letters + 1 == roman.size() || std::string_view("IiVv").find(roman[letters + 1]) == std::string_view::npos);
}

TEST(NumeralReadBack, EveryChordInEveryKeyReadsBackAsItsOwnNotes)
{
    for (int key = 0; key < KeyCount; ++key) {
        const int code = keyCodeAt(key);
        for (int root = 0; root < 12; ++root)
            for (int q = 0; q < QualityCount; ++q)
                for (int bass : intervals(Quality(q))) {
                    const Chord chord{root, Quality(q), bass};
                    const std::string roman = romanNumeral(chord, code);
                    const std::optional<Chord> back = readNumeral(roman, code);
                    ASSERT_TRUE(back) << roman << " for " << harteLabel(chord) << " in " << code;
                    EXPECT_EQ(pitchClassSet(*back), pitchClassSet(chord)) << roman << " for " << harteLabel(chord) << " in " << code;
                    // Suspended and added-sixth numerals carry no figures, so no inversion.
                    if (Quality(q) < Quality::Sus4) {
                        EXPECT_EQ(bassPitchClass(*back), bassPitchClass(chord)) << roman << " in " << code;
                    }
                    EXPECT_FALSE(altersTonic(roman)) << roman << " for " << harteLabel(chord) << " in " << code;
                }
    }
}

} // namespace
