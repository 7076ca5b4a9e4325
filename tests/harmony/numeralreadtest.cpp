// Every numeral read back the way When in Rome's analyses are read (in minor a lower-case
// sixth or seventh is the raised one) names the chord's own notes, and none alters the tonic.
#include "core/base/keycodes.h"
#include "core/harmony/chord.h"
#include "core/harmony/romannumeral.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <optional>
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
    int accidentals = 0;
    for (; !s.empty() && (s[0] == 'b' || s[0] == '#'); s.remove_prefix(1))
        accidentals += s[0] == '#' ? 1 : -1;
    static constexpr std::array<std::string_view, 7> Numerals = {"VII", "VI", "IV", "V", "III", "II", "I"};
    static constexpr std::array<int, 7> Degrees = {6, 5, 3, 4, 2, 1, 0};
    for (std::size_t i = 0; i < Numerals.size(); ++i) {
        const std::string_view n = Numerals[i];
        if (s.size() < n.size())
            continue;
        const bool upper = s.substr(0, n.size()) == n;
        bool lower = true;
        for (std::size_t c = 0; c < n.size(); ++c)
            lower = lower && s[c] == char(std::tolower(n[c]));
        if (!upper && !lower)
            continue;
        s.remove_prefix(n.size());
        const int degree = Degrees[i];
        const int raised = minor && degree >= 5 && lower ? 1 : 0;
        return Degree{(tonic + (minor ? MinorScale : MajorScale)[std::size_t(degree)] + accidentals + raised + 24) % 12, lower};
    }
    return std::nullopt;
}

// The quality and the member in the bass from the marks and figures after the numeral.
std::optional<Chord> readQuality(std::string_view marks, bool lower)
{
    static constexpr std::array<std::string_view, 3> Triads = {"", "6", "64"};
    static constexpr std::array<std::string_view, 4> Sevenths = {"7", "65", "43", "42"};
    if (marks == "sus4" || marks == "sus2")
        return Chord{0, marks == "sus4" ? Quality::Sus4 : Quality::Sus2, 0};
    if (marks == "[add6]")
        return Chord{0, lower ? Quality::Minor6 : Quality::Major6, 0};
    Chord chord{0, Quality::Major, 0};
    std::string_view figure = marks;
    for (std::string_view mark : {"o", "\u00f8", "+", "maj"})
        if (figure.starts_with(mark))
            figure.remove_prefix(mark.size());
    const std::string_view mark = marks.substr(0, marks.size() - figure.size());
    const auto *seventh = std::find(Sevenths.begin(), Sevenths.end(), figure);
    const auto *triad = std::find(Triads.begin(), Triads.end(), figure);
    if (seventh != Sevenths.end()) {
        chord.quality = mark == "o" ? Quality::Diminished7 : mark == "\u00f8" ? Quality::HalfDiminished7
                      : mark == "maj" ? Quality::Major7 : lower ? Quality::Minor7 : Quality::Dominant7;
        chord.bass = intervals(chord.quality)[std::size_t(seventh - Sevenths.begin())];
    } else if (triad != Triads.end()) {
        chord.quality = mark == "o" ? Quality::Diminished : mark == "+" ? Quality::Augmented
                      : lower ? Quality::Minor : Quality::Major;
        chord.bass = intervals(chord.quality)[std::size_t(triad - Triads.begin())];
    } else {
        return std::nullopt;
    }
    return chord;
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
