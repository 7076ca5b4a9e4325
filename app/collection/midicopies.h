// Copies of MIDI files with events added, written under a folder at each file's relative
// path: key-signature copies and chord-marker copies alike.
#ifndef TUNEDECK_COLLECTION_MIDICOPIES_H
#define TUNEDECK_COLLECTION_MIDICOPIES_H

#include "base/failure.h"
#include "collection/filewalk.h"
#include "midi/midiedit.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

namespace tunedeck::collection {

// Writes `target` through a temporary file beside it, created exclusively and renamed over
// it, so that it is either complete or untouched, a link at its name is replaced rather than
// followed, and no temporary file is left behind. Failures name the target and the system's
// reason. `write` stands in for the real write (tests); false from it is a failed write.
using BlockWriter = std::function<bool(QIODevice &, std::string_view)>;
Result<> writeFileReplacing(const std::filesystem::path &target, std::string_view bytes,
                            const BlockWriter &write = {});

// Marks each entry whose copy under outputDir would land where an earlier entry's copy
// does: its sameCopyAs names that earlier input, and its copy is not written.
void markSharedCopies(std::vector<FileEntry> &entries, const std::string &outputDir);

// Reads the entry's file, makes the edit and writes the copy at outputDir/relative (folders
// made as needed). Refuses to write over the source itself.
Result<> writeMidiCopy(const FileEntry &entry, const std::string &outputDir, const MidiEdit &edit);

// Whether two folders given for copies are one (the same path, or the same folder on disk).
bool sameFolder(const std::string &a, const std::string &b);

} // namespace tunedeck::collection

#endif
