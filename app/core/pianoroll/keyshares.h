// The candidate keys of a run with their shares, for the bar chart: Tonalyte's ranked keys
// and the profile analysis' candidates alike. Plain C++.
#ifndef TUNEDECK_CORE_PIANOROLL_KEYSHARES_H
#define TUNEDECK_CORE_PIANOROLL_KEYSHARES_H

#include "core/base/keynames.h"
#include "core/base/keyreports.h"
#include "core/chords/spellednames.h"
#include "core/profile/profileanalysis.h"
#include "core/profile/shownkey.h"

#include <span>
#include <string>
#include <vector>

namespace tunedeck {

struct KeyShare {
    int keyCode = 0;
    std::string label; // "A minor"
    double share = 0;  // 0..1

    friend bool operator==(const KeyShare &, const KeyShare &) = default;
};

// Keys that name none are left out; shares are clamped to 0..1; the order is kept.
std::vector<KeyShare> sharesOfRankedKeys(std::span<const RankedKey> ranked);
// The profile analysis' candidates named as a score writes them, when it is one.
std::vector<KeyShare> sharesOfCandidates(std::span<const profile::KeyCandidate> candidates, const SpelledNames &names);
// Its one key of a moment, with the confidence the line shows.
std::vector<KeyShare> sharesOfShown(const profile::ShownKey &shown);

// The bar's label in a notation: the share's own label in standard notation.
std::string shareLabel(const KeyShare &share, Notation notation);

} // namespace tunedeck

#endif
