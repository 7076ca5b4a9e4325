// The key map of a run: Tonalyte's timeline and the second analysis' local keys, bar by bar.
#ifndef TUNEDECK_KEYMAPROWS_H
#define TUNEDECK_KEYMAPROWS_H

#include "keyanalysis/keyanalysis.h"
#include "keymap/keymapdata.h"
#include "reports/keytimingreport.h"

#include <cstdint>

namespace tunedeck {

inline constexpr const char *TonalyteRow = "Tonalyte";
inline constexpr const char *ProfileRow = "Profile analysis";

// lastBar: the bar of the last note event.
KeyMapData fastKeyMap(const KeyTimingReport &timing, const keyanalysis::KeyAnalysis &analysis, std::int64_t lastBar);

} // namespace tunedeck

#endif
