#include "core/analysis/spellednames.h"

#include "core/base/keynames.h"

#include <limits>

namespace tunedeck {

namespace {

constexpr std::int64_t End = std::numeric_limits<std::int64_t>::max();

} // namespace

SpelledNames::SpelledNames(const ScoreSpelling *spelling, const profile::ProfileAnalysis *profile)
    : spelling_(spelling)
{
    if (!spelling_)
        return;
    for (int i = 0; i < KeyCount; ++i)
        wholePiece_[std::size_t(i)] = writtenSignature(keyCodeAt(i), *spelling_, 0, End);
    if (!profile)
        return;
    const auto &changes = profile->barChanges;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const std::int64_t from = profile::barStartTick(*profile, changes[i].bar);
        const std::int64_t to = i + 1 < changes.size() ? profile::barStartTick(*profile, changes[i + 1].bar) : End;
        stretches_.push_back({from, to, changes[i].keyCode, writtenSignature(changes[i].keyCode, *spelling_, from, to)});
    }
}

std::optional<int> SpelledNames::fifthsAt(int code, std::int64_t tick) const
{
    for (const Stretch &s : stretches_)
        if (s.code == code && tick >= s.from && tick < s.to)
            return s.fifths;
    return isKeyCode(code) ? wholePiece_[std::size_t(keyIndex(code))] : std::nullopt;
}

std::string SpelledNames::key(int code) const
{
    return spelling_ && isKeyCode(code) ? writtenKeyName(code, wholePiece_[std::size_t(keyIndex(code))])
                                        : analysisKeyName(code);
}

std::string SpelledNames::keyAt(int code, std::int64_t tick) const
{
    return spelling_ ? writtenKeyName(code, fifthsAt(code, tick)) : analysisKeyName(code);
}

std::string SpelledNames::noteName(int pitchClass, const chords::ChordSegment &s) const
{
    if (const auto written = notesSpelling(*spelling_, pitchClass, s.tick, s.endTick))
        return pitchText(*written);
    return std::string(harmony::rootName(pitchClass, writtenDirection(s.keyCode, fifthsAt(s.keyCode, s.tick))));
}

harmony::ChordSpelling SpelledNames::chordSpelling(const chords::ChordSegment &segment) const
{
    if (segment.chord.none())
        return {};
    harmony::ChordSpelling names{noteName(segment.chord.root, segment), {}};
    if (segment.chord.bass != 0)
        names.bass = noteName(harmony::bassPitchClass(segment.chord), segment);
    return names;
}

std::string SpelledNames::chordLabel(const chords::ChordSegment &segment) const
{
    return spelling_ ? harmony::harteLabel(segment.chord, chordSpelling(segment))
                     : harmony::harteLabel(segment.chord, segment.keyCode);
}

std::string SpelledNames::chordSymbol(const chords::ChordSegment &segment) const
{
    return spelling_ ? harmony::chordSymbol(segment.chord, chordSpelling(segment))
                     : harmony::chordSymbol(segment.chord, segment.keyCode);
}

} // namespace tunedeck
