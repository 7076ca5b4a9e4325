#include "core/harmony/chord.h"

#include "core/base/keynames.h"
#include "core/base/keysignature.h"
#include "core/base/spelling.h"

#include <algorithm>

namespace tunedeck::harmony {

namespace {

struct QualityName {
    std::array<int, 4> tones; // -1 past the last
    std::string_view harte;
    std::string_view suffix;
};

constexpr std::array<QualityName, QualityCount> Qualities = {{
    {{0, 4, 7, -1}, "maj", ""},
    {{0, 3, 7, -1}, "min", "m"},
    {{0, 3, 6, -1}, "dim", "dim"},
    {{0, 4, 8, -1}, "aug", "aug"},
    {{0, 4, 7, 10}, "7", "7"},
    {{0, 4, 7, 11}, "maj7", "maj7"},
    {{0, 3, 7, 10}, "min7", "m7"},
    {{0, 3, 6, 10}, "hdim7", "m7b5"},
    {{0, 3, 6, 9}, "dim7", "dim7"},
    {{0, 5, 7, -1}, "sus4", "sus4"},
    {{0, 2, 7, -1}, "sus2", "sus2"},
    {{0, 4, 7, 9}, "maj6", "6"},
    {{0, 3, 7, 9}, "min6", "m6"},
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

std::string_view spelled(int pitchClass, int keyCode)
{
    return pitchClass < 0 ? std::string_view() : rootName(pitchClass, accidentalDirection(keyCode));
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
    return {tones.data(), std::size_t(tones[3] < 0 ? 3 : 4)};
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
    return harteLabel(chord, ChordSpelling{std::string(spelled(chord.root, keyCode)),
                                           std::string(spelled(bassPitchClass(chord), keyCode))});
}

std::string chordSymbol(const Chord &chord, int keyCode)
{
    return chordSymbol(chord, ChordSpelling{std::string(spelled(chord.root, keyCode)),
                                            std::string(spelled(bassPitchClass(chord), keyCode))});
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
