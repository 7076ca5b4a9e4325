// What a collection run ends with: the summary line on stderr and, with --summary, the
// keys of the collection.
#ifndef TUNEDECK_CORE_BATCH_SUMMARY_H
#define TUNEDECK_CORE_BATCH_SUMMARY_H

#include "core/base/keynames.h"
#include "core/batch/resultrow.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace tunedeck::batch {

struct RunCounts {
    std::size_t read = 0;
    std::size_t refused = 0;
    std::size_t refusedFormat0 = 0; // of the refused ones
    std::size_t failed = 0;
    std::size_t skipped = 0; // entries the folder walk could not use
    std::size_t copiesNotWritten = 0; // copies refused or failed, of files read or not

    void add(const FileResult &r);
};

// "2000 files read, 3 refused, 1 failed, 2 skipped, 4 copies not written in 1.9 s; 2 of the
// refused files are format 0, which --split-format0 reads". Parts that are zero are left out.
std::string summaryLine(const RunCounts &counts, double seconds);

// Files per key, and how many had no key.
struct KeyTally {
    std::map<int, std::size_t> perKey; // key code -> files
    std::size_t withoutKey = 0;

    void add(const FileResult &r);
};

// One line per key, most files first (then by key code): name, files, share of the files
// with a key; then the major and minor shares. The standard name is always there; another
// notation follows it in brackets.
std::vector<std::string> keySummaryLines(const KeyTally &tally, Notation notation = Notation::Standard);

} // namespace tunedeck::batch

#endif
