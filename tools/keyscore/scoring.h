// Scores of the key analysis against the corpus labels, and the corpus profile fit.
#ifndef TUNEDECK_KEYSCORE_SCORING_H
#define TUNEDECK_KEYSCORE_SCORING_H

#include "keyscore/corpus.h"
#include "keyscore/following.h"

#include "core/profile/profileanalysis.h"

#include <map>
#include <string>
#include <vector>

namespace tunedeck::keyscore {

// MIREX weights as mir_eval counts them: 1 for the key, 0.5 for the dominant (the estimate a
// fifth above, same mode), 0.3 for the relative, 0.2 for the parallel key.
double mirexScore(int reference, int estimate);

struct LocalScore {
    double exact = 0; // share of sounding time inside the regions in the annotated key
    double mirex = 0;
};

// The window keys against a file's annotated regions.
LocalScore localScore(const CorpusFile &file, const profile::ProfileAnalysis &analysis);

// One file's analysis against its labels.
struct FileResult {
    int keyCode = 0;
    double confidence = 0;   // of the first candidate
    double second = 0;       // second candidate's time over the first's, before calibration (as the flag)
    bool secondRight = false;
    double labelShare = 0;   // share given to the labelled key, 0 when it is no candidate
    double exact = 0;        // 1 when the global key is the label
    double mirex = 0;
    bool hasRegions = false; // when the set annotates key regions
    bool severalRegions = false;
    LocalScore local;
    Following follow; // the local keys at every second of a play against the annotated changes
};
FileResult scoreFile(const CorpusFile &file, const profile::ProfileAnalysis &analysis);

// What holding the annotation's first key all through scores: a reference for the local keys.
profile::ProfileAnalysis firstKeyHeld(const CorpusFile &file);

// Whether a file's whole-file key is scored: not for the textbook examples, whose label is
// the key they start in (the modulation exercises) or says little about them.
bool scoresWholeFile(const CorpusFile &file);

// Totals over some of the files, per set and for the local keys.
struct SetSummary {
    int files = 0;
    double exact = 0, mirex = 0, confidence = 0; // percentages, mean confidence
    Following follow;                            // local keys: the annotated changes followed
    double followed() const { return follow.scored > 0 ? 100.0 * follow.followed / follow.scored : 0; }
};
struct Summary {
    std::map<std::string, SetSummary> sets; // whole-file keys (wir: the songs)
    SetSummary local, multi; // pop local keys, all annotated songs and those with several regions
    SetSummary single, multiClean; // pop songs in one key; several regions but for 017 and 018 (doubtful labels)
    SetSummary songs, textbooks; // wir local keys
    double logLoss = 0;      // mean -log(share of the labelled key), shares floored at 0.001
};
Summary summarise(const std::vector<CorpusFile> &files, const std::vector<FileResult> &results,
                  const std::vector<bool> &included);

// What the defaults are chosen by: the mean of the sets' exact shares and the local keys'
// exact shares (pop: all annotated songs and those with several regions; wir: songs and
// textbook examples).
double criterion(const Summary &summary);

// K folds for cross-validation, the files of a group always in the same fold: groups taken
// largest first, each into the fold with the fewest files so far.
std::vector<int> groupFolds(const std::vector<CorpusFile> &files, int folds);

// Mean pitch-class durations per mode over the pop songs and chorales, each file's
// durations summing to 1 and rotated so its labelled tonic comes first. The file at `without` (if any) is left out, for
// leave-one-out scoring.
profile::ProfileWeights fitProfile(const std::vector<CorpusFile> &files,
                                       const std::vector<std::array<double, 12>> &durations,
                                       std::size_t without = SIZE_MAX);

// Whole-file pitch-class durations, as the analysis counts them.
std::array<double, 12> fileDurations(const CorpusFile &file);

// Where the annotated key changes of the included files go, by relation to the key left (as
// profile::ChangeWeights): counts plus `prior` for every relation, scaled to sum 1 per mode.
profile::ChangeWeights fitChanges(const std::vector<CorpusFile> &files, const std::vector<bool> &included,
                                      double prior = 1);

} // namespace tunedeck::keyscore

#endif
