// The local keys: an HMM over the 24 keys in short steps (the workspace's windows), key
// changes weighed by where they go, and a change rate chosen for each piece from a few: the
// one under which the piece's notes are likeliest, given a prior leaning to faster rates. Pop songs keep one
// key for minutes, songs modulate every few bars and harmony exercises every bar or two; a
// single rate suits none of them all.
#ifndef TUNEDECK_CORE_PROFILE_LOCALKEYS_H
#define TUNEDECK_CORE_PROFILE_LOCALKEYS_H

#include "core/profile/analysisoptions.h"
#include "core/profile/keyhmm.h"

#include <optional>
#include <vector>

namespace tunedeck::profile {

// Key changes by relation, fitted on the corpus' annotated key changes (fittedchanges.h).
const ChangeWeights &fittedChanges();

struct LocalKeys {
    std::vector<int> keys;  // key index per window
    std::vector<double> shares; // per window: its key's probability given the piece, before calibration
    double changeRate = 0;  // the rate chosen, key changes per quarter note
};

// The local keys with options.local; with a rate at or below options.local.coarseBelow they
// are found as the global key is, in windows of options.globalQuarters (and
// AnalysisOptions::stay when options.local.changeRates is empty).
LocalKeys localKeys(const KeyWorkspace &workspace, const KeyTemplates &templates, const AnalysisOptions &options);

// The workspace's windows merged by whole numbers into windows of about `quarters`.
std::vector<WindowDurations> mergedWindows(const KeyWorkspace &workspace, int quarters);

} // namespace tunedeck::profile

#endif
