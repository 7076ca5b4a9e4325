// What a finished fast run shows: the labels and lists of a window that showed nothing
// before, and the block tunedeck-detect prints of it. Made once, from the run's results.
#ifndef TUNEDECK_CORE_ANALYSIS_ANALYSISTEXTS_H
#define TUNEDECK_CORE_ANALYSIS_ANALYSISTEXTS_H

#include "core/analysis/fileanalysis.h"

#include <string>
#include <vector>

namespace tunedeck {

// The texts of the window's labels and lists (LblKType, LblKeyStr, ...), empty where the run
// left a label unset.
struct LabelTexts {
    std::string kType, keyStr, signat, kqKey, haStr, keyTiming, mess, cTime, error;
    std::vector<std::string> keyList, keyPoint;
};
LabelTexts labelTexts(const FileAnalysis &analysis);

// The refusal's words where the command has always shown them: the reader's, and the
// system's for what is no regular file. Empty otherwise.
std::string shownReason(const FileAnalysis &analysis);

// The lines under the file's name in the command's text output; withProfile adds the
// profile analysis' key and local keys.
std::string formatText(const FileAnalysis &analysis, const LabelTexts &texts, bool withProfile = false);

// "reported", "file-refused", ...: how a run ended, in the command's words.
std::string outcomeName(FastOutcome outcome);

} // namespace tunedeck

#endif
