// Copies of MIDI files with events added, written under a folder at each file's relative
// path: key-signature copies and chord-marker copies alike.
#ifndef TUNEDECK_CORE_BATCH_MIDICOPIES_H
#define TUNEDECK_CORE_BATCH_MIDICOPIES_H

#include "core/base/failure.h"
#include "core/batch/filewalk.h"
#include "core/midi/midiedit.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::batch {

// Writes `target` through a temporary file beside it, created exclusively and renamed over
// it, so that it is either complete or untouched, a link at its name is replaced rather than
// followed, and no temporary file is left behind. Failures name the target and the system's
// reason. `write` stands in for the real write (tests): it is handed the function that writes
// a block to the file; false from it is a failed write.
using BlockSink = std::function<bool(std::string_view)>;
using BlockWriter = std::function<bool(const BlockSink &, std::string_view)>;
Result<> writeFileReplacing(const std::filesystem::path &target, std::string_view bytes,
                            const BlockWriter &write = {});

// Marks each entry whose copy under outputDir would land where an earlier entry's copy
// does: its sameCopyAs names that earlier input, and its copy is not written.
void markSharedCopies(std::vector<FileEntry> &entries, const std::string &outputDir);

// Makes the edit in the entry's file and writes the copy at outputDir/relative (folders made
// as needed). Refuses to write over the source itself. `source` is the file's bytes when the
// caller read them already; without them the file is read.
Result<> writeMidiCopy(const FileEntry &entry, const std::string &outputDir, const MidiEdit &edit,
                       std::optional<std::string_view> source = std::nullopt);

// Whether two folders given for copies are one (the same path, or the same folder on disk).
bool sameFolder(const std::string &a, const std::string &b);

} // namespace tunedeck::batch

#endif
