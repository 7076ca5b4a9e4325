// tunedeck-chordscore's command line.
#ifndef TUNEDECK_CHORDSCORE_CHORDOPTIONS_H
#define TUNEDECK_CHORDSCORE_CHORDOPTIONS_H

#include "chordscore/chordmodelfit.h"

#include "core/chords/chordanalysis.h"

#include <optional>
#include <string>
#include <vector>

namespace tunedeck::chordscore {

struct ChordscoreOptions {
    std::vector<std::string> sets;  // set folders or roots holding them, scored
    std::vector<std::string> fitOn; // the same, only fitted on
    std::vector<std::string> scores; // folders of scores standing for the scored sets' MIDI files
    bool rntxt = false; // the scores' own RomanText analyses as the annotated chords, where they have one
    int folds = 5;
    std::string perFile; // a file for each file's figures, "-" for the standard output
    std::string dump;    // a file for every estimated segment
    std::string reference; // a file for the annotated chords scored against
    std::string barFeatures; // a file for every beat's evidence of a downbeat, with the annotation's
    bool noSpeed = false; // leave out the timing of the library's run of each file
    bool fit = false;     // fit the chord model on each fold's training files
    bool fitCalibration = false; // fit only the confidences' calibration, with the built weights
    bool fitOnOnly = false; // fit once, on the --fit-on sets alone, and score every set with it
    bool meterBars = false; // the chords' bars in 4/4 from tick 0, not the music's
    chords::BarWeights bars; // how the music's are found
    std::string writeModel; // fit on every file and write the model's header there
    std::vector<std::string> qualityBoosts; // "sus2=1": a quality's boost in place of the default
    chords::ChordOptions analysis; // the settings the chords are found with, the fast run's by default
    FitSettings settings;          // and those the model is fitted with
};

// Reads argv into options, which hold the defaults. Nothing when the tool goes on; else the
// code to exit with (0 after --help, 2 after a mistake).
std::optional<int> readCommandLine(int argc, char **argv, ChordscoreOptions &options);

} // namespace tunedeck::chordscore

#endif
