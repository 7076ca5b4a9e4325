#include "core/chords/spellednames.h"

#include "core/base/keynames.h"

#include <limits>

namespace tunedeck {

namespace {

constexpr std::int64_t End = std::numeric_limits<std::int64_t>::max();

} // namespace

SpelledNames::SpelledNames(const ScoreSpelling *spelling, const profile::ProfileAnalysis *profile)
    : spelling_(spelling), spelled_(spelling != nullptr)
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

std::optional<int> SpelledNames::keyFifthsAt(int code, std::int64_t tick) const
{
    if (!spelled_)
        return std::nullopt;
    for (const Stretch &s : stretches_)
        if (s.code == code && tick >= s.from && tick < s.to)
            return s.fifths;
    return keyFifths(code);
}

std::optional<int> SpelledNames::keyFifths(int code) const
{
    return spelled_ && isKeyCode(code) ? wholePiece_[std::size_t(keyIndex(code))] : std::nullopt;
}

std::string SpelledNames::key(int code) const
{
    return writtenKeyName(code, keyFifths(code));
}

std::string SpelledNames::keyAt(int code, std::int64_t tick) const
{
    return writtenKeyName(code, keyFifthsAt(code, tick));
}

std::string SpelledNames::tonicAt(int code, std::int64_t tick) const
{
    return spelled_ ? writtenTonic(code, keyFifthsAt(code, tick)) : analysisTonic(code);
}

std::string SpelledNames::noteName(int pitchClass, const chords::ChordSegment &s) const
{
    if (const auto written = notesSpelling(*spelling_, pitchClass, s.tick, s.endTick))
        return pitchText(*written);
    return std::string(harmony::rootName(pitchClass, writtenDirection(s.keyCode, keyFifthsAt(s.keyCode, s.tick))));
}

harmony::WrittenChord SpelledNames::written(const chords::ChordSegment &segment) const
{
    harmony::WrittenChord w;
    w.keyFifths = keyFifthsAt(segment.keyCode, segment.tick);
    if (segment.chord.none())
        return w;
    w.notes.root = noteName(segment.chord.root, segment);
    if (segment.chord.bass != 0)
        w.notes.bass = noteName(harmony::bassPitchClass(segment.chord), segment);
    return w;
}

void SpelledNames::writeChords(std::vector<chords::ChordSegment> &segments) const
{
    if (!spelled_)
        return;
    for (chords::ChordSegment &s : segments)
        s.written = written(s);
}

} // namespace tunedeck
