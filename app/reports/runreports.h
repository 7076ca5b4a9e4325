// Both reports of a run, read from the library once its events are fed.
#ifndef TUNEDECK_RUNREPORTS_H
#define TUNEDECK_RUNREPORTS_H

#include "base/choices.h"
#include "base/keyreports.h"
#include "fastdetect/fastdetection.h"
#include "reports/keytimingreport.h"

#include <cstdint>

namespace tunedeck {

class TonalyteEngine;

// Reads the library's statistics and timeline into both reports.
KeyReports buildReports(TonalyteEngine &library, bool moreSensitive, bool allTracks, bool barTiming,
                        std::int32_t ticksPerBar, KeyCountChoice keys, BarLimit limit = BarLimit::Window);

// The reports of a run that fed its events, with the choices in force when they are shown.
void reportFastDetection(TonalyteEngine &library, FastDetection &run, bool moreSensitive, bool allTracks,
                         KeyCountChoice keys, BarLimit limit = BarLimit::Window);

// Both steps at once, for runs nobody watches.
FastDetection detectKey(TonalyteEngine &library, const OpenFile &file, const FastOptions &options,
                        BarLimit limit = BarLimit::Window);

} // namespace tunedeck

#endif
