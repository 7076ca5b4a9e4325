// One file's fast run for the page: the core's analysis of the bytes the page read, and what
// the page shows of it as typed data (the command's JSON and CSV row, the ranked keys, the
// timeline, the profile analysis, the key map, the piano roll, the chords and their CSV).
#ifndef TUNEDECK_WEB_PAGEANALYSIS_H
#define TUNEDECK_WEB_PAGEANALYSIS_H

#include "core/analysis/fileanalysis.h"
#include "core/base/keynames.h"
#include "core/keymap/keymapdata.h"
#include "jsvalues.h"

#include <string>

namespace tunedeck {
class TonalyteEngine;
}

namespace tunedeck::web {

// The file's bytes analysed with the choices; name is how the CSV row names the file.
val analyseForPage(const std::string &bytes, const val &choices, const std::string &name);

// The key map as the page draws it: {unit, first, bars, rows: [{title, segments: Int32Array
// of (first, last, key code, unsure)}]}.
val keyMapValue(const KeyMapData &map);

// The engine's one instance, linked in; its clock is the page's.
TonalyteEngine &pageEngine();

} // namespace tunedeck::web

#endif
