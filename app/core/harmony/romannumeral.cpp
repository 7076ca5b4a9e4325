#include "core/harmony/romannumeral.h"

#include "core/base/keycodes.h"
#include "core/base/keynames.h"

#include <algorithm>
#include <array>
#include <cstdlib>

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
    case Quality::Power: return std::string(chord.bass == 7 ? "64" : "") + "[no3]";
    }
    return {};
}

// The case of the key's own triad on each degree (minor's V and VI as When in Rome has them).
constexpr std::array<Case, 7> MajorCases = {Case::Upper, Case::Lower, Case::Lower, Case::Upper,
                                            Case::Upper, Case::Lower, Case::Lower};
constexpr std::array<Case, 7> MinorCases = {Case::Lower, Case::Lower, Case::Upper, Case::Lower,
                                            Case::Upper, Case::Upper, Case::Upper};

// The plain numeral of the key's own triad on a degree: the target of an applied chord.
// Empty where that triad is diminished (nothing leads to it) or the degree is the tonic.
std::string targetNumeral(int degree, bool minor)
{
    if (degree == 0 || (!minor && degree == 6) || (minor && degree == 1))
        return {};
    return cased(degree, (minor ? MinorCases : MajorCases)[std::size_t(degree)]);
}

int degreeAt(int semitones, bool minor)
{
    const auto &scale = minor ? MinorScale : MajorScale;
    const auto *at = std::find(scale.begin(), scale.end(), (semitones % 12 + 12) % 12);
    return at == scale.end() ? -1 : int(at - scale.begin());
}

// The degree a root is named on: its own; in minor the raised sixth's and seventh's and the
// major third's (#iii); the flat second, never a sharpened tonic; another chromatic root on
// the degree above, or below for a leading-tone chord.
int degreeOf(int step, bool minor, bool leading)
{
    if (const int degree = degreeAt(step, minor); degree >= 0)
        return degree;
    if (minor && (step == 4 || step == 9 || step == 11))
        return step == 4 ? 2 : step == 9 ? 5 : 6;
    if (step == 1)
        return 1;
    const int below = degreeAt(step - 1, minor);
    return leading && below >= 0 ? below : degreeAt(step + 1, minor);
}

// The numeral on a degree with the accidentals that bring it to the root ("bVI", "#iii").
// In minor a lower-case sixth or seventh is the raised one, as When in Rome reads it ("vi",
// "viio"), and the natural ones are upper case ("VI", "VII") or flattened ("bvii").
std::string onDegree(int step, int degree, Case c, bool minor)
{
    const int scaleStep = (minor ? MinorScale : MajorScale)[std::size_t(degree)];
    int off = (step - scaleStep + 18) % 12 - 6;
    if (minor && degree >= 5 && c == Case::Lower)
        --off;
    return std::string(std::size_t(std::abs(off)), off > 0 ? '#' : 'b') + cased(degree, c);
}

std::uint16_t rotated(std::uint16_t set, int by)
{
    by = (by % 12 + 12) % 12;
    return std::uint16_t(((set >> by) | (set << (12 - by))) & 0xfff);
}

// A power chord has no third to give its case: the key's own triad on its degree gives it,
// upper case off the scale ("I[no3]", "vi[no3]", "V[no3]" in minor).
std::string powerNumeral(const Chord &chord, int step, bool minor)
{
    const int degree = degreeOf(step, minor, false);
    const Case c = degreeAt(step, minor) == degree ? (minor ? MinorCases : MajorCases)[std::size_t(degree)] : Case::Upper;
    return onDegree(step, degree, c, minor) + suffix(chord);
}

} // namespace

std::string romanNumeral(const Chord &chord, int keyCode)
{
    if (chord.none() || !isKeyCode(keyCode))
        return {};
    const bool minor = isMinorKey(keyCode);
    const int step = (chord.root - tonicOf(keyCode) + 12) % 12;
    if (chord.quality == Quality::Power)
        return powerNumeral(chord, step, minor);
    const Case c = caseOf(chord.quality);
    const std::uint16_t tones = rotated(pitchClassSet(chord), tonicOf(keyCode));
    const bool dominant = chord.quality == Quality::Major || chord.quality == Quality::Dominant7;
    const bool leading = chord.quality == Quality::Diminished || chord.quality == Quality::Diminished7
                         || chord.quality == Quality::HalfDiminished7;
    const std::string own = onDegree(step, degreeOf(step, minor, leading), c, minor) + suffix(chord);

    // The key's own chords, the leading-tone chords of minor among them; a minor key's major
    // tonic is its own too (a tierce de Picardie), as analyses write it: I, not V/iv.
    if ((tones & ~(minor ? MinorSet : MajorSet)) == 0 || (step == 0 && chord.quality == Quality::Major))
        return own;
    // An applied chord: a dominant a fifth above a degree, a leading-tone chord a semitone below.
    if (dominant || leading) {
        const int target = degreeAt(step + (dominant ? 5 : 1), minor);
        if (target == 0)
            return (dominant ? std::string("V") : std::string("vii")) + suffix(chord);
        if (target > 0) {
            const std::string to = targetNumeral(target, minor);
            if (!to.empty())
                return (dominant ? std::string("V") : std::string("vii")) + suffix(chord) + "/" + to;
        }
    }
    // A degree of the scale with another quality (iv in major, a borrowed chord), or a
    // chromatic root.
    return own;
}

std::string chordInKey(const Chord &chord, int keyCode, const std::optional<WrittenChord> &written)
{
    const std::string roman = romanNumeral(chord, keyCode);
    if (roman.empty())
        return chordSymbol(chord, keyCode, written);
    return chordSymbol(chord, keyCode, written) + " \u2014 " + roman + " of " + keyNameOf(keyCode, written);
}

} // namespace tunedeck::harmony
