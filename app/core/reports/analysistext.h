// The texts of the profile analysis, for the window and tunedeck-detect alike.
#ifndef TUNEDECK_CORE_REPORTS_ANALYSISTEXT_H
#define TUNEDECK_CORE_REPORTS_ANALYSISTEXT_H

#include "core/base/keynames.h"
#include "core/chords/spellednames.h"
#include "core/profile/profileanalysis.h"
#include "core/profile/profiletracker.h"
#include "core/profile/shownkey.h"

#include <string>

namespace tunedeck::text {

// "A minor, 91 % (relative of C major 7 %)", ", ambiguous" when the first two are close;
// "no key" when nothing sounded.
// In standard notation the keys keep the profile analysis' names, or a score's when names
// are given; another notation spells them its way.
std::string profileKey(const profile::ProfileAnalysis &analysis, Notation notation = Notation::Standard,
                       const SpelledNames *names = nullptr);

// The key shown live: "C major, 91 %", "C major?, 45 %" when unsure, "-" for none.
std::string profileReading(const profile::ProfileReading &reading, Notation notation = Notation::Standard);

// What a play or listening shows: a play's local key with where it began, "G major from bar
// 13, 96 %" ("G major? from bar 13, 45 %" when unsure); the tracker's reading as
// profileReading says it, "(as heard)" added where a play's analysis holds nothing. A play's
// key of a score is written as the score writes it there (ShownKey::keyFifths).
std::string shownKey(const profile::ShownKey &shown, Notation notation = Notation::Standard);

// The bars where the local key changes: "0001: A minor, 0017: C major".
std::string localKeyChanges(const profile::ProfileAnalysis &analysis, const SpelledNames *names = nullptr);

// A confidence as a whole percent.
int percentOf(double confidence);

} // namespace tunedeck::text

#endif
