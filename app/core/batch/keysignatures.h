// Copies of MIDI files that carry the detected keys as key-signature events.
#ifndef TUNEDECK_CORE_BATCH_KEYSIGNATURES_H
#define TUNEDECK_CORE_BATCH_KEYSIGNATURES_H

#include "core/base/keysignature.h"
#include "core/batch/midicopies.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::batch {

struct KeyPoint {
    std::uint32_t tick = 0; // from the start of the file
    int keyCode = 0;
};

// A key-signature event at every point's tick in the first track (points naming no key are
// left out; of two at one tick the later one), and none of the key-signature events the file
// had, in any track.
MidiEdit keySignatureEdit(std::vector<KeyPoint> points);

// The file with that edit made (editedMidi).
Result<std::string> withKeySignatures(std::string_view file, std::vector<KeyPoint> points);

// The copy of the entry's file with the key signatures, under outputDir (writeMidiCopy).
Result<> writeKeySignatureCopy(const FileEntry &entry, const std::string &outputDir,
                               const std::vector<KeyPoint> &points);

} // namespace tunedeck::batch

#endif
