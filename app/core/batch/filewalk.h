// The files a collection run reads: files named on the command line as they are, and
// folders walked for MIDI files and scores.
#ifndef TUNEDECK_CORE_BATCH_FILEWALK_H
#define TUNEDECK_CORE_BATCH_FILEWALK_H

#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::batch {

struct FileEntry {
    std::string path;     // as the reader opens it: the argument, or folder argument + relative
    std::string relative; // under its folder argument with '/' between names; a named file's own name

    friend bool operator==(const FileEntry &, const FileEntry &) = default;
};

struct WalkProblem {
    std::string path;
    std::string reason; // "broken symbolic link", "symbolic link loop", "cannot open folder: ..."

    friend bool operator==(const WalkProblem &, const WalkProblem &) = default;
};

struct WalkResult {
    std::vector<FileEntry> files;
    std::vector<WalkProblem> problems;
    std::vector<std::string> notRead; // folders left out because the run writes there
    std::vector<std::string> roots;   // the folder arguments walked, as given
};

// The arguments in their order. A folder (or a link to one) is walked recursively: the
// entries of each folder in byte order of their names, a subfolder walked at its place
// among the files; only files with a MIDI or score extension (.musicxml, .mxl) are taken,
// and .xml files whose content is a score's. Links are followed, but a
// folder already being walked or walked before is not walked again (reported as a link
// loop or as the same folder). Broken links and unreadable entries are reported and
// skipped. Any other argument is taken as a file as it stands, whatever its name, so that
// the reader reports what is wrong with it. A folder met inside a walked one that is one of
// `notInto` (the folders the run writes into, on disk) is not walked, so that a run never
// reads what it writes; a folder argument is walked whatever it is.
WalkResult collectFiles(const std::vector<std::string> &arguments, const std::vector<std::string> &notInto = {});

// A worker's job for one file, and back: the path and the relative path in one line's
// worth of bytes.
std::string jobText(const FileEntry &entry);
FileEntry entryFromJob(std::string_view job);

} // namespace tunedeck::batch

#endif
