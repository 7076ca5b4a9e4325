// Copies of MIDI files that carry the detected keys as key-signature events.
#ifndef TUNEDECK_COLLECTION_KEYSIGNATURES_H
#define TUNEDECK_COLLECTION_KEYSIGNATURES_H

#include "base/keysignature.h"
#include "collection/filewalk.h"
#include "base/failure.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

namespace tunedeck::collection {

struct KeyPoint {
    std::uint32_t tick = 0; // from the start of the file
    int keyCode = 0;
};

// The file with a key-signature event at every point's tick in its first track (points
// naming no key are left out) and none of the key-signature events it had, in any track.
// The first track is written again: its events keep their bytes and absolute ticks, new
// events go after the events at their tick but before End of Track, which moves on to
// the last new event when it came before it. Other tracks that held key signatures lose
// only those; every other byte of the file stays as it was.
Result<std::string> withKeySignatures(std::string_view file, std::vector<KeyPoint> points);

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

// Reads `source`, adds the key signatures and writes the copy at outputDir/relative
// (folders made as needed). Refuses to write over the source itself.
Result<> writeKeySignatureCopy(const FileEntry &entry, const std::string &outputDir,
                               const std::vector<KeyPoint> &points);

} // namespace tunedeck::collection

#endif
