// tunedeck-keyscore's command line: the corpus, the settings whose every combination is a
// row of its table, and what else it does instead (its reports, the fitted tables).
#ifndef TUNEDECK_KEYSCORE_OPTIONS_H
#define TUNEDECK_KEYSCORE_OPTIONS_H

#include "core/profile/profileanalysis.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tunedeck::keyscore {

// A setting given as a comma-separated list of numbers.
struct ListOption {
    const char *flag;
    const char *help;
    const char *group;
    double (*get)(const profile::AnalysisOptions &);
    void (*set)(profile::AnalysisOptions &, double);
};
std::span<const ListOption> listOptions();

struct KeyscoreOptions {
    std::string corpus;
    std::vector<std::string> scores;             // folders of scores standing for the MIDI files
    std::vector<std::string> profiles;           // names, "fitted-loo" among them
    std::vector<std::vector<double>> lists;      // in listOptions()' order
    std::vector<std::vector<double>> rateSets;   // an empty set: no rates, the stay
    std::vector<std::string> changes{"fitted"};  // "fitted", "uniform", "fitted-cv"
    std::vector<std::string> chords{"fitted"};   // "fitted", "refit", "fitted-cv"
    int folds = 5;
    double changePrior = 20;
    double chordPrior = 1;
    bool perFile = false;
    bool reliability = false;
    int nested = 0;
    int calibrationFolds = 0;
    int windowCalibrationFolds = 0;
    bool printProfile = false, printChanges = false, printChordEvidence = false;
    std::string calibrationHeader;   // --fit-calibration
    std::string fitTables;           // folder of the headers to write
    std::string checkTables;         // folder of the headers to compare with
    std::vector<std::string> tables; // which of them; all when empty
};

// Reads argv into options, which hold the defaults. Nothing when the tool goes on; else the
// code to exit with (0 after --help, 2 after a mistake).
std::optional<int> readCommandLine(int argc, char **argv, KeyscoreOptions &options);

} // namespace tunedeck::keyscore

#endif
