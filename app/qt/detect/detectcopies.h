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
#include <string_view>
#include <vector>

namespace tunedeck {

class RunCopies {
public:
    // `write` stands in for the real write of a copy's bytes (a test build's hooks).
    RunCopies(const DetectSettings &settings, const batch::WalkResult &walk, batch::BlockWriter write = {});

    // The worker's job for the walk's file at `index`: the file, where each copy goes (none
    // for a copy the plan refuses) and the tag of their temporary files, this process's id.
    std::string job(std::size_t index) const;

    // Puts the copies of the file at `index` in place (or writes them, when the answer holds
    // their bytes), or says in its answer why each one that is not was not; a temporary file
    // not put in place is removed. Returns how many were not written.
    std::size_t write(FileAnswer &answer, std::size_t index) const;

    // Removes what the workers may have left of the copies of the files from `index` on, once
    // the workers have ended before answering them (a run stopped early).
    void discardFrom(std::size_t index) const;

private:
    std::string temporary(std::size_t index, std::size_t folder) const;

    const DetectSettings &settings_;
    const batch::WalkResult &walk_;
    std::vector<CopyFolder> folders_;
    batch::CopyPlan plan_;
    batch::BlockWriter write_;
    unsigned tag_; // this process's id, in the temporary files' names
};

// In a worker: the file of a job, and where its copies go (empty: not written), their
// temporary files named with the command's tag.
struct CopyJob {
    batch::FileEntry entry;
    unsigned tag = 0;
    std::vector<std::string> copies;
};
CopyJob readCopyJob(std::string_view job);

// In a worker: the answer's copies written to their temporary files, for the command to put
// in place; the answer then holds no bytes for them, or why one was not written.
void writeTemporaries(FileAnswer &answer, const CopyJob &job, const batch::BlockWriter &write);

// A copy of the file that was not written, in every place the answer has: a line on stderr,
// the status, the row's message, and in what is printed the CSV's message or the JSON's reason.
void noteCopyFailure(FileAnswer &answer, const QString &what, const std::string &why, const DetectSettings &settings);

} // namespace tunedeck

#endif
