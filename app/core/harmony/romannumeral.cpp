#include "core/harmony/romannumeral.h"

#include "core/base/keycodes.h"
#include "core/base/keynames.h"

#include <algorithm>
#include <array>

namespace tunedeck::harmony {

namespace {

constexpr std::array<const char *, 7> Numerals = {"I", "II", "III", "IV", "V", "VI", "VII"};

// Semitones above the tonic of each degree of the key's scale.
constexpr std::array<int, 7> MajorScale = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> MinorScale = {0, 2, 3, 5, 7, 8, 10};

// Pitch classes above the tonic a key holds: minor has its natural, harmonic and melodic
// forms, so V and viio are its own.
constexpr std::uint16_t MajorSet = 0b101010110101;
constexpr std::uint16_t MinorSet = 0b111110101101;

enum class Case { Upper, Lower };

Case caseOf(Quality q)
{
    switch (q) {
    case Quality::Minor: case Quality::Diminished: case Quality::Minor7:
    case Quality::HalfDiminished7: case Quality::Diminished7: case Quality::Minor6:
        return Case::Lower;
    default:
        return Case::Upper;
    }
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string cased(int degree, Case c)
{
    const std::string n = Numerals[std::size_t(degree)];
    return c == Case::Upper ? n : lower(n);
}

// The quality's mark and figures after the numeral: "o7", "ø65", "maj7", "64", "sus4".
std::string suffix(const Chord &chord)
{
    const auto tones = intervals(chord.quality);
    const auto member = std::size_t(std::find(tones.begin(), tones.end(), chord.bass) - tones.begin());
    static constexpr std::array<const char *, 4> TriadFigures = {"", "6", "64", "64"};
    static constexpr std::array<const char *, 4> SeventhFigures = {"7", "65", "43", "42"};
    const char *triad = TriadFigures[std::min<std::size_t>(member, 3)];
    const char *seventh = SeventhFigures[std::min<std::size_t>(member, 3)];
    switch (chord.quality) {
    case Quality::Major: case Quality::Minor: return triad;
    case Quality::Diminished: return std::string("o") + triad;
    case Quality::Augmented: return std::string("+") + triad;
    case Quality::Dominant7: case Quality::Minor7: return seventh;
    case Quality::Major7: return std::string("maj") + seventh;
    case Quality::HalfDiminished7: return std::string("ø") + seventh;
    case Quality::Diminished7: return std::string("o") + seventh;
    case Quality::Sus4: return "sus4";
    case Quality::Sus2: return "sus2";
    case Quality::Major6: case Quality::Minor6: return "[add6]";
    }
    return {};
}

// The plain numeral of the key's own triad on a degree: the target of an applied chord.
// Empty where that triad is diminished (nothing leads to it) or the degree is the tonic.
std::string targetNumeral(int degree, bool minor)
{
    static constexpr std::array<Case, 7> MajorCases = {Case::Upper, Case::Lower, Case::Lower, Case::Upper,
                                                       Case::Upper, Case::Lower, Case::Lower};
    static constexpr std::array<Case, 7> MinorCases = {Case::Lower, Case::Lower, Case::Upper, Case::Lower,
                                                       Case::Upper, Case::Upper, Case::Upper};
    if (degree == 0 || (!minor && degree == 6) || (minor && degree == 1))
        return {};
    return cased(degree, (minor ? MinorCases : MajorCases)[std::size_t(degree)]);
}

int degreeAt(int semitones, bool minor)
{
    const auto &scale = minor ? MinorScale : MajorScale;
    const auto *at = std::find(scale.begin(), scale.end(), semitones);
    return at == scale.end() ? -1 : int(at - scale.begin());
}

std::uint16_t rotated(std::uint16_t set, int by)
{
    by = (by % 12 + 12) % 12;
    return std::uint16_t(((set >> by) | (set << (12 - by))) & 0xfff);
}

} // namespace

std::string romanNumeral(const Chord &chord, int keyCode)
{
    if (chord.none() || !isKeyCode(keyCode))
        return {};
    const bool minor = isMinorKey(keyCode);
    const int step = (chord.root - tonicOf(keyCode) + 12) % 12;
    const Case c = caseOf(chord.quality);
    const std::uint16_t tones = rotated(pitchClassSet(chord), tonicOf(keyCode));
    const int degree = degreeAt(step, minor);

    // The key's own chords, the leading-tone chords of minor among them.
    if ((tones & ~(minor ? MinorSet : MajorSet)) == 0) {
        if (degree >= 0)
            return cased(degree, c) + suffix(chord);
        if (minor && step == 11)
            return cased(6, c) + suffix(chord);
        if (minor && step == 9)
            return "#" + cased(5, c) + suffix(chord);
    }
    // An applied chord: a dominant a fifth above a degree, a leading-tone chord a semitone below.
    const bool dominant = chord.quality == Quality::Major || chord.quality == Quality::Dominant7;
    const bool leading = chord.quality == Quality::Diminished || chord.quality == Quality::Diminished7
                         || chord.quality == Quality::HalfDiminished7;
    if (dominant || leading) {
        const int target = degreeAt((step + (dominant ? 5 : 1)) % 12, minor);
        if (target == 0)
            return (dominant ? std::string("V") : std::string("vii")) + suffix(chord);
        if (target > 0) {
            const std::string to = targetNumeral(target, minor);
            if (!to.empty())
                return (dominant ? std::string("V") : std::string("vii")) + suffix(chord) + "/" + to;
        }
    }
    // A degree of the scale with another quality (iv in major, a borrowed chord), or a
    // chromatic root: flat below the next degree, sharp for diminished chords above the last.
    if (degree >= 0)
        return cased(degree, c) + suffix(chord);
    const int below = degreeAt(step - 1, minor);
    const int above = degreeAt((step + 1) % 12, minor);
    if (above >= 0 && !(leading && below >= 0))
        return "b" + cased(above, c) + suffix(chord);
    return "#" + cased(std::max(below, 0), c) + suffix(chord);
}

std::string chordInKey(const Chord &chord, int keyCode, const std::optional<WrittenChord> &written)
{
    const std::string roman = romanNumeral(chord, keyCode);
    if (roman.empty())
        return chordSymbol(chord, keyCode, written);
    return chordSymbol(chord, keyCode, written) + " \u2014 " + roman + " of " + keyNameOf(keyCode, written);
}

} // namespace tunedeck::harmony
