// One file's fast run for the page: the core's analysis of the bytes the page read, and what
// the page shows of it as typed data (the command's JSON and CSV row, the ranked keys, the
// timeline, the profile analysis, the key map, the piano roll, the chords and their CSV).
#ifndef TUNEDECK_WEB_PAGEANALYSIS_H
#define TUNEDECK_WEB_PAGEANALYSIS_H

#include "core/analysis/fileanalysis.h"
#include "core/base/keynames.h"
#include "core/base/playadjust.h"
#include "core/keymap/keymapdata.h"
#include "jsvalues.h"

#include <string>

namespace tunedeck {
class TonalyteEngine;
}

namespace tunedeck::web {

// The page's choices, as the window's controls and tunedeck-detect's options set them.
struct PageChoices {
    AnalysisChoices analysis;
    PlayAdjust adjust; // the transposition also moves the analysis; the tempo only the play
    Notation notation = Notation::Standard;
};

// {track: "all" or 0..11 (0 = "Track 01"), moreSensitive, meter: 0..3, keys: 0..4 (0 = not
// known), splitFormat0, transpose, tempo, muted: bit n for channel n + 1, notation: 0..3,
// keyNetwork: the local keys and chords from the key and harmony network}.
PageChoices pageChoices(const val &choices);

// The file's bytes analysed with the choices; name is how the CSV row names the file.
val analyseForPage(const std::string &bytes, const val &choices, const std::string &name);

// The key map as the page draws it: {unit, first, bars, rows: [{title, segments: Int32Array
// of (first, last, key code, unsure)}]}.
val keyMapValue(const KeyMapData &map);

// The engine's one instance, linked in; its clock is the page's.
TonalyteEngine &pageEngine();

} // namespace tunedeck::web

#endif
