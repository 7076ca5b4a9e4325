#include "core/harmony/chord.h"

#include "core/base/keynames.h"
#include "core/base/keysignature.h"
#include "core/base/spelling.h"

#include <algorithm>
#include <cstdlib>

namespace tunedeck::harmony {

namespace {

struct QualityName {
    std::array<int, 4> tones;   // -1 past the last
    std::array<int, 4> letters; // letters above the root's: a third is two, a sixth five
    std::string_view harte;
    std::string_view suffix;
};

constexpr std::array<QualityName, NamedQualityCount> Qualities = {{
    {{0, 4, 7, -1}, {0, 2, 4, 0}, "maj", ""},
    {{0, 3, 7, -1}, {0, 2, 4, 0}, "min", "m"},
    {{0, 3, 6, -1}, {0, 2, 4, 0}, "dim", "dim"},
    {{0, 4, 8, -1}, {0, 2, 4, 0}, "aug", "aug"},
    {{0, 4, 7, 10}, {0, 2, 4, 6}, "7", "7"},
    {{0, 4, 7, 11}, {0, 2, 4, 6}, "maj7", "maj7"},
    {{0, 3, 7, 10}, {0, 2, 4, 6}, "min7", "m7"},
    {{0, 3, 6, 10}, {0, 2, 4, 6}, "hdim7", "m7b5"},
    {{0, 3, 6, 9}, {0, 2, 4, 6}, "dim7", "dim7"},
    {{0, 5, 7, -1}, {0, 3, 4, 0}, "sus4", "sus4"},
    {{0, 2, 7, -1}, {0, 1, 4, 0}, "sus2", "sus2"},
    {{0, 4, 7, 9}, {0, 2, 4, 5}, "maj6", "6"},
    {{0, 3, 7, 9}, {0, 2, 4, 5}, "min6", "m6"},
    {{0, 7, -1, -1}, {0, 4, 0, 0}, "(1,5)", "5"},
}};

const QualityName &named(Quality quality) { return Qualities[std::size_t(quality)]; }

// Harte's degree names for a bass a number of semitones above the root.
constexpr std::array<std::string_view, 12> BassDegrees = {"1", "b2", "2", "b3", "3", "4", "b5", "5", "#5", "6", "b7", "7"};

// In a key with no signature, and with no key, the spellings lead sheets use most.
constexpr std::array<int, 12> CommonDirection = {0, 1, 0, -1, 0, 0, 1, 0, -1, 0, -1, 0};

// A diminished seventh's seventh is a doubly flattened seventh, not a sixth.
std::string_view bassDegree(const Chord &chord)
{
    return chord.quality == Quality::Diminished7 && chord.bass == 9 ? "bb7" : BassDegrees[std::size_t(chord.bass % 12)];
}

// A note name as a letter (0 = C .. 6 = B) and its accidentals (sharps above 0).
struct Spelt {
    int letter = 0;
    int accidentals = 0;
};

constexpr std::array<int, 7> LetterPitches = {0, 2, 4, 5, 7, 9, 11};

Spelt speltOf(std::string_view name)
{
    Spelt s{int(std::string_view("CDEFGAB").find(name[0])), 0};
    for (char c : name.substr(1))
        s.accidentals += c == '#' ? 1 : -1;
    return s;
}

std::string written(Spelt s)
{
    std::string name(1, "CDEFGAB"[s.letter]);
    name.append(std::size_t(std::abs(s.accidentals)), s.accidentals > 0 ? '#' : 'b');
    return name;
}

// A chord tone (its place in the chord) on the letter it takes above the root's: a third two
// letters up.
Spelt toneAbove(Spelt root, const Chord &chord, std::size_t member)
{
    const int letter = (root.letter + named(chord.quality).letters[member]) % 7;
    const int pitch = (chord.root + intervals(chord.quality)[member]) % 12;
    return {letter, (pitch - LetterPitches[std::size_t(letter)] + 18) % 12 - 6};
}

bool singleAccidentals(Spelt root, const Chord &chord)
{
    for (std::size_t member = 0; member < intervals(chord.quality).size(); ++member)
        if (std::abs(toneAbove(root, chord, member).accidentals) > 1)
            return false;
    return true;
}

// The same pitch on the letter below (way +1, "E#" for F) or above (way -1, "Bb" for A#).
Spelt onNeighbour(Spelt s, int way)
{
    const int pitch = LetterPitches[std::size_t(s.letter)] + s.accidentals;
    const int letter = (s.letter - way + 7) % 7;
    return {letter, (pitch - LetterPitches[std::size_t(letter)] + 18) % 12 - 6};
}

// An inversion's root as the key spells it, or another name where only that spells the chord
// without double sharps or flats (G#dim/B, not Abdim/Cb; Bb/D, not A#/Cx): the other common
// name, or a natural root with the key's accidental on the next letter (E#dim7/D in B minor).
// Failing all, a name that keeps them off the bass.
ChordSpelling inversionSpelling(const Chord &chord, int direction, std::size_t member)
{
    const Spelt key = speltOf(rootName(chord.root, direction));
    std::array<Spelt, 3> names = {key, key, key};
    std::size_t count = 1;
    for (int way : {-1, +1}) {
        const Spelt other = onNeighbour(key, way);
        if (std::abs(other.accidentals) <= 1 && (key.accidentals != 0 || way == direction))
            names[count++] = other;
    }
    for (std::size_t i = 0; i < count; ++i)
        if (singleAccidentals(names[i], chord))
            return {written(names[i]), written(toneAbove(names[i], chord, member))};
    for (std::size_t i = 0; i < count; ++i)
        if (const Spelt bass = toneAbove(names[i], chord, member); std::abs(bass.accidentals) <= 1)
            return {written(names[i]), written(bass)};
    return {written(key), written(toneAbove(key, chord, member))};
}

ChordSpelling keySpelling(const Chord &chord, int keyCode)
{
    if (chord.none())
        return {};
    const int direction = accidentalDirection(keyCode);
    const auto tones = intervals(chord.quality);
    const auto member = std::size_t(std::find(tones.begin(), tones.end(), chord.bass) - tones.begin());
    if (chord.bass != 0 && member < tones.size())
        return inversionSpelling(chord, direction, member);
    // Root position keeps the key's spelling; so does a bass that is no chord tone.
    return {std::string(rootName(chord.root, direction)), std::string(rootName(bassPitchClass(chord), direction))};
}

int pitchClassOf(std::string_view name, std::size_t &used)
{
    static constexpr std::array<int, 7> Naturals = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        return -1;
    int pc = Naturals[std::size_t(name[0] - 'A')];
    used = 1;
    for (; used < name.size() && (name[used] == '#' || name[used] == 'b'); ++used)
        pc += name[used] == '#' ? 1 : -1;
    return (pc % 12 + 12) % 12;
}

} // namespace

std::span<const int> intervals(Quality quality)
{
    const auto &tones = named(quality).tones;
    return {tones.data(), std::size_t(std::find(tones.begin() + 1, tones.end(), -1) - tones.begin())};
}

std::uint16_t pitchClassSet(const Chord &chord)
{
    if (chord.none())
        return 0;
    std::uint16_t set = 0;
    for (int t : intervals(chord.quality))
        set = std::uint16_t(set | 1u << ((chord.root + t) % 12));
    return set;
}

int bassPitchClass(const Chord &chord)
{
    return chord.none() ? -1 : (chord.root + chord.bass) % 12;
}

std::string_view harteQuality(Quality quality) { return named(quality).harte; }
std::string_view symbolSuffix(Quality quality) { return named(quality).suffix; }

std::string_view rootName(int pitchClass, int direction)
{
    return pitchName(pitchClass, direction != 0 ? direction : CommonDirection[std::size_t((pitchClass % 12 + 12) % 12)]);
}

std::string harteLabel(const Chord &chord, int keyCode)
{
    return harteLabel(chord, keySpelling(chord, keyCode));
}

std::string chordSymbol(const Chord &chord, int keyCode)
{
    return chordSymbol(chord, keySpelling(chord, keyCode));
}

std::string harteLabel(const Chord &chord, const ChordSpelling &spelling)
{
    if (chord.none())
        return "N";
    std::string label = spelling.root + ':' + std::string(harteQuality(chord.quality));
    if (chord.bass != 0)
        label += '/' + std::string(bassDegree(chord));
    return label;
}

std::string chordSymbol(const Chord &chord, const ChordSpelling &spelling)
{
    if (chord.none())
        return "N.C.";
    std::string symbol = spelling.root + std::string(symbolSuffix(chord.quality));
    if (chord.bass != 0)
        symbol += '/' + spelling.bass;
    return symbol;
}

std::string harteLabel(const Chord &chord, int keyCode, const std::optional<WrittenChord> &written)
{
    return written ? harteLabel(chord, written->notes) : harteLabel(chord, keyCode);
}

std::string chordSymbol(const Chord &chord, int keyCode, const std::optional<WrittenChord> &written)
{
    return written ? chordSymbol(chord, written->notes) : chordSymbol(chord, keyCode);
}

std::string keyNameOf(int keyCode, const std::optional<WrittenChord> &written)
{
    return writtenKeyName(keyCode, written ? written->keyFifths : std::nullopt);
}

std::optional<Chord> parseHarte(std::string_view label)
{
    if (label == "N")
        return Chord{};
    std::size_t used = 0;
    Chord chord;
    chord.root = pitchClassOf(label, used);
    if (chord.root < 0)
        return std::nullopt;
    label.remove_prefix(used);
    std::string_view bass;
    if (const std::size_t slash = label.find('/'); slash != std::string_view::npos) {
        bass = label.substr(slash + 1);
        label = label.substr(0, slash);
    }
    if (!label.empty()) {
        if (label[0] != ':')
            return std::nullopt;
        label.remove_prefix(1);
        const auto *q = std::find_if(Qualities.begin(), Qualities.end(), [&](const QualityName &n) { return n.harte == label; });
        if (q == Qualities.end())
            return std::nullopt;
        chord.quality = Quality(q - Qualities.begin());
    }
    if (!bass.empty()) {
        const auto *degree = std::find(BassDegrees.begin(), BassDegrees.end(), bass);
        if (bass == "bb7")
            chord.bass = 9;
        else if (degree != BassDegrees.end())
            chord.bass = int(degree - BassDegrees.begin());
        else
            return std::nullopt;
        const auto tones = intervals(chord.quality);
        if (std::find(tones.begin(), tones.end(), chord.bass) == tones.end())
            return std::nullopt;
    }
    return chord;
}

} // namespace tunedeck::harmony
