// One row a note, for researchers and for checking the reader: from a score with its parts,
// printed measures and spelling; from a MIDI file by track, 4/4 bars and sharp names.
#ifndef TUNEDECK_CORE_SCORE_NOTEROWS_H
#define TUNEDECK_CORE_SCORE_NOTEROWS_H

#include "core/base/failure.h"
#include "core/score/scorereader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::score {

struct NoteRow {
    int part = 0;           // 0-based: score order; a MIDI file's track 2 is 0
    std::string measure;    // as printed; a MIDI file's bar from 1, counted in 4/4
    double onset = 0;       // quarter notes from the start
    double duration = 0;    // quarter notes
    std::int64_t tick = 0;  // at the file's ticks per quarter (480 for a score)
    int pitch = 60;         // MIDI number, concert pitch
    std::string name;       // "F#4", "Bb3": a score's spelling; a MIDI file's sharps
};

// In onset order, then part, then pitch. Refused as the open-file step refuses the bytes.
Result<std::vector<NoteRow>> noteRows(std::string_view bytes, const ReadOptions &options);

} // namespace tunedeck::score

#endif
