#include "core/base/spelling.h"

#include "core/base/keycodes.h"
#include "core/base/keynames.h"
#include "core/base/keysignature.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

namespace tunedeck {

namespace {

constexpr int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
constexpr int floorMod(int a, int b) { return a - floorDiv(a, b) * b; }

constexpr std::array<int, 7> Naturals = {9, 11, 0, 2, 4, 5, 7}; // A..G

int pitchClassOf(const SpelledPitch &p) { return floorMod(Naturals[std::size_t(p.step - 'A')] + p.alter, 12); }

// The tonic of the key a signature of `fifths` writes: F C G D A E B along the fifths, an
// accidental more each seven.
SpelledPitch tonicFor(int fifths, bool minor)
{
    const int t = fifths + (minor ? 3 : 0) + 1;
    return {"FCGDAEB"[floorMod(t, 7)], floorDiv(t, 7)};
}

// The signatures within seven accidentals that write the key; one or two.
std::vector<int> signaturesFor(int code)
{
    const int majorTonic = (tonicOf(code) + (isMinorKey(code) ? 3 : 0)) % 12;
    std::vector<int> found;
    for (int f = -7; f <= 7; ++f)
        if (floorMod(f * 7, 12) == majorTonic)
            found.push_back(f);
    return found;
}

} // namespace

std::string pitchText(const SpelledPitch &pitch)
{
    std::string text(1, pitch.step);
    for (int i = 0; i < std::abs(pitch.alter); ++i)
        text += pitch.alter < 0 ? 'b' : '#';
    return text;
}

std::optional<int> signatureAt(const ScoreSpelling &spelling, std::int64_t tick)
{
    std::optional<int> fifths;
    for (const SignatureChange &s : spelling.signatures) {
        if (s.tick > tick && fifths)
            break;
        fifths = s.fifths; // the first holds from the start, as a signature written after a pickup does
    }
    return fifths;
}

std::optional<SpelledPitch> notesSpelling(const ScoreSpelling &spelling, int pitchClass, std::int64_t from,
                                          std::int64_t to)
{
    std::map<std::pair<char, int>, int> counts;
    auto first = spelling.notes.begin();
    if (spelling.longest >= 0 && from > spelling.longest)
        first = std::lower_bound(first, spelling.notes.end(), from - spelling.longest,
                                 [](const SpelledNote &n, std::int64_t tick) { return n.tick < tick; });
    for (auto it = first; it != spelling.notes.end(); ++it) {
        const SpelledNote &n = *it;
        if (n.tick >= to)
            break;
        if (n.end > from && n.pitchClass == floorMod(pitchClass, 12) && pitchClassOf(n.spelling) == n.pitchClass)
            ++counts[{n.spelling.step, n.spelling.alter}];
    }
    std::optional<SpelledPitch> best;
    int most = 0;
    bool tied = false;
    for (const auto &[written, count] : counts) {
        if (count > most) {
            best = SpelledPitch{written.first, written.second};
            most = count;
            tied = false;
        } else if (count == most) {
            tied = true;
        }
    }
    return tied ? std::nullopt : best;
}

std::optional<int> writtenSignature(int code, const ScoreSpelling &spelling, std::int64_t from, std::int64_t to)
{
    if (!isKeyCode(code))
        return std::nullopt;
    const std::vector<int> candidates = signaturesFor(code);
    if (candidates.size() != 2)
        return std::nullopt;
    if (const std::optional<SpelledPitch> tonic = notesSpelling(spelling, tonicOf(code), from, to))
        for (int f : candidates)
            if (tonicFor(f, isMinorKey(code)) == *tonic)
                return f;
    if (const std::optional<int> inForce = signatureAt(spelling, from)) {
        const int first = std::abs(candidates[0] - *inForce), second = std::abs(candidates[1] - *inForce);
        if (first != second)
            return first < second ? candidates[0] : candidates[1];
    }
    return std::nullopt;
}

std::string writtenTonic(int code, std::optional<int> fifths)
{
    if (!fifths || !isKeyCode(code))
        return analysisTonic(code);
    return pitchText(tonicFor(*fifths, isMinorKey(code)));
}

std::string writtenKeyName(int code, std::optional<int> fifths)
{
    if (!isKeyCode(code))
        return {};
    return writtenTonic(code, fifths) + (isMinorKey(code) ? " minor" : " major");
}

std::string shortWrittenKeyName(int code, std::optional<int> fifths)
{
    if (!fifths || !isKeyCode(code))
        return shortKeyName(code);
    const bool minor = isMinorKey(code);
    return pitchText(tonicFor(*fifths, minor)) + (minor ? "m" : "");
}

int writtenDirection(int code, std::optional<int> fifths)
{
    if (!fifths)
        return accidentalDirection(code);
    return *fifths > 0 ? 1 : *fifths < 0 ? -1 : 0;
}

} // namespace tunedeck
