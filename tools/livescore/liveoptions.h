// tunedeck-livescore's command line: the tracker's settings, and what the tool does with them.
#ifndef TUNEDECK_LIVESCORE_LIVEOPTIONS_H
#define TUNEDECK_LIVESCORE_LIVEOPTIONS_H

#include "core/profile/profiletracker.h"

#include <optional>
#include <string>

namespace tunedeck::livescore {

struct LiveOptions {
    std::string folder; // the corpus
    profile::TrackerOptions tracker;
    int folds = 0;      // --cv
    bool perFile = false, before = false, leaveSetOut = false, uncalibrated = false, bins = false;
    int calibrationFolds = 0;
    std::string traces, seconds, calibrationHeader, fitTables, checkTables;
};

// Reads argv into options, which hold the defaults. Nothing when the tool goes on; else the
// code to exit with (0 after --help, 2 after a mistake).
std::optional<int> readCommandLine(int argc, char **argv, LiveOptions &options);

} // namespace tunedeck::livescore

#endif
