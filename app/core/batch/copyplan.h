// Where every copy of a run goes, decided before any is written, over all its copy folders
// and all its files at once: a copy never lands on a file the run reads or on a file in a
// folder it reads, and no copy of the run replaces another.
#ifndef TUNEDECK_CORE_BATCH_COPYPLAN_H
#define TUNEDECK_CORE_BATCH_COPYPLAN_H

#include "core/batch/filewalk.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tunedeck::batch {

struct PlannedCopy {
    std::string path;    // folder and relative path, as the copy is written
    std::string refusal; // why it is not written; empty when it is
};

class CopyPlan {
public:
    CopyPlan() = default;
    // `folders` are the run's copy folders in order, `roots` the folders it walked. Copies
    // are planned file by file, each file's folders in their order: of two copies with one
    // path, the first planned is written. A folder's `extensions` entry (".rntxt"), when
    // there is one and it is not empty, names its copies with it in place of the file's own.
    CopyPlan(const std::vector<std::string> &folders, const std::vector<FileEntry> &files,
             const std::vector<std::string> &roots, const std::vector<std::string> &extensions = {});

    const PlannedCopy &at(std::size_t file, std::size_t folder) const { return copies_[file * folders_ + folder]; }
    std::size_t folders() const { return folders_; }

private:
    std::size_t folders_ = 0;
    std::vector<PlannedCopy> copies_;
};

} // namespace tunedeck::batch

#endif
