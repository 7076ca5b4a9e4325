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
// followed, and no temporary file is left behind (while it exists, removeTemporaries removes
// it, so that a signal does not leave it either). Failures name the target and the system's
// reason. `write` stands in for the real write (tests): it is handed the function that writes
// a block to the file; false from it is a failed write.
using BlockSink = std::function<bool(std::string_view)>;
using BlockWriter = std::function<bool(const BlockSink &, std::string_view)>;
Result<> writeFileReplacing(const std::filesystem::path &target, std::string_view bytes,
                            const BlockWriter &write = {});

// A copy in two steps, for one written by a process and put in place by another: its bytes
// into `temporary` beside `target` (made exclusively, its folders made as needed), complete on
// disk; then renamed over the target. A step that fails removes the temporary file, which
// the caller otherwise removes when it does not put it in place.
Result<> writeTemporary(const std::filesystem::path &temporary, const std::filesystem::path &target,
                        std::string_view bytes, const BlockWriter &write = {});
Result<> putInPlace(const std::filesystem::path &temporary, const std::filesystem::path &target);

// A temporary file's name for `target`: ".NAME.TAG.tmp" beside it, TAG in 8 hex digits.
std::filesystem::path temporaryName(const std::filesystem::path &target, unsigned tag);

// Where the copy of a file at `relative` under its folder goes under outputDir, or nothing
// when it would leave outputDir.
std::optional<std::filesystem::path> copyPath(const std::string &relative, const std::string &outputDir);

// Writes a copy at `target` as writeFileReplacing does, its folders made as needed; a folder
// that cannot be made is named with the reason (a broken link, a file in the way).
Result<> writeCopy(const std::filesystem::path &target, std::string_view bytes, const BlockWriter &write = {});

// Makes the edit in the entry's file and writes the copy at outputDir/relative (folders made
// as needed). Refuses to write over the source itself. `source` is the file's bytes when the
// caller read them already; without them the file is read.
Result<> writeMidiCopy(const FileEntry &entry, const std::string &outputDir, const MidiEdit &edit,
                       std::optional<std::string_view> source = std::nullopt);

// Whether two folders given for copies are one (the same path, or the same folder on disk).
bool sameFolder(const std::string &a, const std::string &b);

} // namespace tunedeck::batch

#endif
