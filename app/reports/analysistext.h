// The texts of the second key analysis, for the window and tunedeck-detect alike.
#ifndef TUNEDECK_ANALYSISTEXT_H
#define TUNEDECK_ANALYSISTEXT_H

#include "base/keynames.h"
#include "keyanalysis/keyanalysis.h"
#include "keyanalysis/livekey.h"

#include <QString>

namespace tunedeck::text {

// "A minor, 91 % (relative of C major 7 %)", ", ambiguous" when the first two are close;
// "no key" when nothing sounded.
// In standard notation the keys keep the second analysis' names; another spells them its way.
QString secondKey(const keyanalysis::KeyAnalysis &analysis, Notation notation = Notation::Standard);

// The key shown live: "C major, 91 %", "C major?, 45 %" when unsure, "-" for none.
QString liveKey(const keyanalysis::LiveKeyReading &reading, Notation notation = Notation::Standard);

// The bars where the local key changes: "0001: A minor, 0017: C major".
QString localKeyChanges(const keyanalysis::KeyAnalysis &analysis);

// A confidence as a whole percent.
int percentOf(double confidence);

} // namespace tunedeck::text

#endif
