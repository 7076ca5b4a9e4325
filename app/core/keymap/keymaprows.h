// The key map of a run: Tonalyte's timeline and the profile analysis' local keys, bar by bar.
#ifndef TUNEDECK_CORE_KEYMAP_KEYMAPROWS_H
#define TUNEDECK_CORE_KEYMAP_KEYMAPROWS_H

#include "core/chords/spellednames.h"
#include "core/profile/profileanalysis.h"
#include "core/keymap/keymapdata.h"
#include "core/reports/keytimingreport.h"

#include <cstdint>

namespace tunedeck {

// After a fast detection the row shows the timeline list's main keys; during a play it
// shows every key the library names as the notes sound, so the titles say which is which.
inline constexpr const char *TonalyteTimelineRow = "Tonalyte timeline";
inline constexpr const char *TonalyteLiveRow = "Tonalyte, all regions";
inline constexpr const char *ProfileRow = "Profile analysis";

// The timeline report's points, each holding until the next, and the profile analysis' key
// of each bar, written as a score writes it when its names are given. lastBar: the bar of
// the last note event. meterTicksPerBar: the timeline's bars, turned into the analysis' own
// where those differ (the music's); 0 where they are the same.
KeyMapData fastKeyMap(const KeyTimingReport &timing, const profile::ProfileAnalysis &analysis, std::int64_t lastBar,
                      const SpelledNames *names = nullptr, std::int64_t meterTicksPerBar = 0);

} // namespace tunedeck

#endif
