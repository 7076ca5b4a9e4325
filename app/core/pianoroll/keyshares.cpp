#include "core/pianoroll/keyshares.h"

#include "core/base/keycodes.h"
#include "core/base/keynames.h"
#include "core/base/spelling.h"

#include <algorithm>

namespace tunedeck {

namespace {

void add(std::vector<KeyShare> &shares, int code, double share, std::optional<int> fifths = std::nullopt)
{
    if (isKeyCode(code))
        shares.push_back({code, writtenKeyName(code, fifths), std::clamp(share, 0.0, 1.0)});
}

} // namespace

std::vector<KeyShare> sharesOfRankedKeys(std::span<const RankedKey> ranked)
{
    std::vector<KeyShare> shares;
    for (const RankedKey &k : ranked)
        add(shares, k.code, k.percent / 100.0);
    return shares;
}

std::vector<KeyShare> sharesOfCandidates(std::span<const profile::KeyCandidate> candidates, const SpelledNames &names)
{
    std::vector<KeyShare> shares;
    for (const profile::KeyCandidate &c : candidates)
        add(shares, c.keyCode, c.confidence, names.keyFifths(c.keyCode));
    return shares;
}

std::vector<KeyShare> sharesOfShown(const profile::ShownKey &shown)
{
    std::vector<KeyShare> shares;
    add(shares, shown.reading.keyCode, shown.reading.confidence, shown.keyFifths);
    return shares;
}

std::string shareLabel(const KeyShare &share, Notation notation)
{
    return notation == Notation::Standard ? share.label : keyName(share.keyCode, notation);
}

} // namespace tunedeck
