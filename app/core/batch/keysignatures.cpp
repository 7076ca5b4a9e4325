#include "core/batch/keysignatures.h"

#include <algorithm>

namespace tunedeck::batch {

MidiEdit keySignatureEdit(std::vector<KeyPoint> points)
{
    constexpr std::uint8_t KeySignatureType = 0x59;
    std::stable_sort(points.begin(), points.end(), [](const KeyPoint &a, const KeyPoint &b) { return a.tick < b.tick; });
    MidiEdit edit;
    edit.removed = {KeySignatureType};
    for (const KeyPoint &point : points) {
        const std::optional<KeySignature> sig = keySignatureFor(point.keyCode);
        if (!sig)
            continue;
        if (!edit.added.empty() && edit.added.back().tick == point.tick)
            edit.added.pop_back(); // the later point at one tick wins
        edit.added.push_back({point.tick, KeySignatureType,
                              {char(std::int8_t(sig->sharpsOrFlats)), char(sig->minor ? 1 : 0)}});
    }
    return edit;
}

Result<std::string> withKeySignatures(std::string_view file, std::vector<KeyPoint> points)
{
    return editedMidi(file, keySignatureEdit(std::move(points)));
}

Result<> writeKeySignatureCopy(const FileEntry &entry, const std::string &outputDir, const std::vector<KeyPoint> &points)
{
    return writeMidiCopy(entry, outputDir, keySignatureEdit(points));
}

} // namespace tunedeck::batch
