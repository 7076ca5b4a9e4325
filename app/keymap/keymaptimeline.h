// Tonalyte's key timeline as change points for a key map row.
#ifndef TUNEDECK_KEYMAPTIMELINE_H
#define TUNEDECK_KEYMAPTIMELINE_H

#include "keymap/keymapdata.h"
#include "reports/keytimingreport.h"

#include <cstdint>
#include <vector>

namespace tunedeck {

// The timeline's entries up to the first negative time, as KeyGetKTiming hands them back.
// barTiming: times are ticks, made bars from 1 as the timeline report numbers them;
// otherwise milliseconds, left as they are for rowFromTimedPoints. Codes that name no key
// become 0.
std::vector<KeyChangePoint> changePointsFromTimeline(const KeyTimeline &timeline, bool barTiming,
                                                     std::int32_t ticksPerBar);

} // namespace tunedeck

#endif
