// Feeds arbitrary bytes to the score reader (MusicXML text or a zip archive) and checks what
// it gives: a refusal with a reason, or notes within a MIDI file's bounds that the MIDI reader
// reads back from the score's MIDI bytes.
#include "core/midi/midifile.h"
#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the repeats; the rest is the file.
    const tunedeck::score::ReadOptions options{(data[0] & 1) != 0};
    const std::string_view bytes(reinterpret_cast<const char *>(data + 1), size - 1);
    (void)tunedeck::score::looksLikeScore(bytes);
    const tunedeck::Result<tunedeck::score::Score> read = tunedeck::score::readScore(bytes, options);
    if (!read) {
        check(!read.error().reason.empty());
        return 0;
    }
    std::size_t notes = 0;
    for (const tunedeck::score::Part &part : read->parts)
        for (const tunedeck::score::Note &n : part.notes) {
            check(n.tick >= 0 && n.duration > 0 && n.tick + n.duration <= INT32_MAX);
            check(n.pitch >= 0 && n.pitch <= 127 && n.measure < read->measures.size());
            ++notes;
        }
    for (std::size_t m = 1; m < read->measures.size(); ++m)
        check(read->measures[m].tick >= 0 && read->measures[m].length >= 0);
    tunedeck::MidiFile midi;
    const tunedeck::Result<> back = midi.loadFromBytes(tunedeck::score::midiBytes(*read));
    check(bool(back) && midi.format() == 1 && midi.ticksPerQuarter() == 480);
    check(std::size_t(midi.trackCount()) == read->parts.size() + 1);
    (void)notes;
    return 0;
}
