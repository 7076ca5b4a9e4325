// The copies of a tunedeck-detect run, written by the command itself as each file's answer
// comes, at the places planned for all of them before any file was read.
#ifndef TUNEDECK_QT_DETECT_DETECTCOPIES_H
#define TUNEDECK_QT_DETECT_DETECTCOPIES_H

#include "core/batch/copyplan.h"
#include "core/batch/filewalk.h"
#include "core/batch/midicopies.h"
#include "detectfile.h"

#include <QString>

#include <cstddef>
#include <string>
#include <vector>

namespace tunedeck {

class RunCopies {
public:
    // `write` stands in for the real write of a copy's bytes (a test build's hooks).
    RunCopies(const DetectSettings &settings, const batch::WalkResult &walk, batch::BlockWriter write = {});

    // Writes the copies of the file at `index` of the walk, or says in its answer why each
    // one that is not written was not. Returns how many were not.
    std::size_t write(FileAnswer &answer, std::size_t index) const;

private:
    const DetectSettings &settings_;
    const batch::WalkResult &walk_;
    std::vector<CopyFolder> folders_;
    batch::CopyPlan plan_;
    batch::BlockWriter write_;
};

// A copy of the file that was not written, in every place the answer has: a line on stderr,
// the status, the row's message, and in what is printed the CSV's message or the JSON's reason.
void noteCopyFailure(FileAnswer &answer, const QString &what, const std::string &why, const DetectSettings &settings);

} // namespace tunedeck

#endif
