// tunedeck-chordscore's command line.
#ifndef TUNEDECK_CHORDSCORE_CHORDOPTIONS_H
#define TUNEDECK_CHORDSCORE_CHORDOPTIONS_H

#include <optional>
#include <string>
#include <vector>

namespace tunedeck::chordscore {

struct ChordscoreOptions {
    std::vector<std::string> sets;  // set folders or roots holding them, scored
    std::vector<std::string> fitOn; // the same, only fitted on
    int folds = 5;
    std::string perFile; // a file for each file's figures, "-" for the standard output
    std::string dump;    // a file for every estimated segment
    bool noSpeed = false; // leave out the timing of the library's run of each file
    bool fit = false;     // fit the chord model on each fold's training files
    std::string writeModel; // fit on every file and write the model's header there
    double l2 = 1e-4;
    int iterations = 150;
    double change = 2, offBeatChange = 2, inversionShare = 0.5;
};

// Reads argv into options, which hold the defaults. Nothing when the tool goes on; else the
// code to exit with (0 after --help, 2 after a mistake).
std::optional<int> readCommandLine(int argc, char **argv, ChordscoreOptions &options);

} // namespace tunedeck::chordscore

#endif
