#include "keyscore/options.h"

#include "keyscore/fittables.h"

#include "common/commandline.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>

namespace tunedeck::keyscore {

using profile::AnalysisOptions;

namespace {

constexpr const char *Global = "The whole-file model (every combination of the lists is a row)";
constexpr const char *Local = "The local keys";
constexpr const char *Chords = "The chords as evidence for the local keys";
constexpr const char *Reports = "Reports";
constexpr const char *Tables = "The fitted tables (app/core/profile/fitted*.h)";

// A setting's default read from AnalysisOptions, and the setter of each value in its list;
// window lengths are whole quarters, at least one.
#define SETTING(path) \
    [](const AnalysisOptions &o) { return double(o.path); }, [](AnalysisOptions &o, double v) { o.path = v; }
#define QUARTERS(path) \
    [](const AnalysisOptions &o) { return double(o.path); }, \
        [](AnalysisOptions &o, double v) { o.path = std::max(1, int(v)); }

const std::array<ListOption, 21> Lists{{
    {"--stay", "stay probabilities", Global, SETTING(stay)},
    {"--window", "window lengths in quarter notes", Global, QUARTERS(windowQuarters)},
    {"--global", "the global key's window in quarter notes", Global, QUARTERS(globalQuarters)},
    {"--sharpness", "emission sharpness", Global, SETTING(sharpness)},
    {"--bass", "extra weight of the lowest note", Global, SETTING(bassWeight)},
    {"--hint", "final bass note hint", Global, SETTING(finalBassHint)},
    {"--falloff", "circle-of-fifths falloff of key changes", Global, SETTING(fifthsFalloff)},
    {"--confidence", "sharpness of the emissions behind the confidences", Global, SETTING(confidenceSharpness)},
    {"--local-sharpness", "emission sharpness", Local, SETTING(local.sharpness)},
    {"--rate-sharpness", "the sharpness the rates are judged at", Local, SETTING(local.rateSharpness)},
    {"--rate-bonus", "bonus per doubling of the rate", Local, SETTING(local.rateBonus)},
    {"--local-hint", "final bass note hint", Local, SETTING(local.finalBassHint)},
    {"--growth", "sharpness times (rate * 64)^growth", Local, SETTING(local.sharpnessGrowth)},
    {"--coarse-below", "rates up to this followed in the global key's windows", Local, SETTING(local.coarseBelow)},
    {"--local-temper", "the windows' probabilities from the model at this temperature", Local,
     SETTING(local.confidenceTemper)},
    {"--chord-weight", "weight of the chord evidence in the 2-quarter windows", Chords, SETTING(local.chordWeight)},
    {"--chord-rate-weight", "weight of the chord evidence in the rates' judging", Chords,
     SETTING(local.chordRateWeight)},
    {"--chord-slow-weight", "weight of the chord evidence in the slow path", Chords, SETTING(local.chordSlowWeight)},
    {"--chord-missing", "chord finding: penalty per chord tone not heard", Chords,
     SETTING(local.chordFinding.missingPenalty)},
    {"--chord-bass", "chord finding: bonus times the root's share of the bass", Chords,
     SETTING(local.chordFinding.bassBonus)},
    {"--chord-threshold", "chord finding: no clear chord below this score", Chords,
     SETTING(local.chordFinding.noChordBelow)},
}};

#undef SETTING
#undef QUARTERS

// "0.001/0.01" gives {0.001, 0.01}, "none" no rates; nothing when it is not numbers.
std::optional<std::vector<double>> rateSet(const std::string &text)
{
    std::vector<double> rates;
    if (text == "none")
        return rates;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t slash = std::min(text.find('/', start), text.size());
        const std::string item = text.substr(start, slash - start);
        char *end = nullptr;
        rates.push_back(std::strtod(item.c_str(), &end));
        if (item.empty() || end != item.c_str() + item.size())
            return std::nullopt;
        start = slash + 1;
    }
    return rates;
}

CLI::Validator namedBy(std::vector<std::string> names, const char *what)
{
    return CLI::Validator(
        [names, what](std::string &name) {
            if (std::find(names.begin(), names.end(), name) != names.end())
                return std::string();
            return std::string("no ") + what + " named " + name;
        },
        "");
}

} // namespace

std::span<const ListOption> listOptions()
{
    return Lists;
}

namespace {

// The settings scored: each list a row per value, every combination of them.
void addSettings(CLI::App &app, KeyscoreOptions &options, std::vector<std::string> &rates)
{
    const AnalysisOptions defaults;
    std::vector<std::string> profileNames{"all", "fitted-loo"};
    for (profile::Profile p : profile::allProfiles())
        profileNames.push_back(profile::profileName(p));
    app.add_option("--profile", options.profiles,
                   "profile names (default: fitted), 'fitted-loo' (fitted again without the file scored)\n"
                   "or 'all'")
        ->delimiter(',')->type_name("NAMES")->check(namedBy(profileNames, "profile"))->group(Global);
    options.lists.clear();
    for (const ListOption &l : Lists)
        options.lists.push_back({l.get(defaults)});
    for (std::size_t i = 0; i < Lists.size(); ++i)
        app.add_option(Lists[i].flag, options.lists[i], Lists[i].help)
            ->delimiter(',')->type_name("LIST")->capture_default_str()->group(Lists[i].group);

    app.add_option("--rates", rates,
                   "change rates per quarter tried per piece, '/' between rates, 'none' for the stay;\n"
                   "each set a row")
        ->delimiter(',')->type_name("SETS")->group(Local)
        ->check(CLI::Validator([](std::string &s) { return rateSet(s) ? std::string() : "not rates: " + s; }, ""));
    app.add_option("--changes", options.changes,
                   "key changes by relation: fitted, uniform, fitted-cv (fitted without the file's\n"
                   "fold)")
        ->delimiter(',')->type_name("NAMES")->capture_default_str()->group(Local)
        ->check(namedBy({"fitted", "uniform", "fitted-cv"}, "key changes"));
    app.add_option("--folds", options.folds, "folds for fitted-cv (2 or more)")->capture_default_str()->group(Local)
        ->check(tools::foldCount());
    app.add_option("--change-prior", options.changePrior, "key changes fitted: count N more of every relation")
        ->type_name("N")->capture_default_str()->group(Local);
    app.add_option("--chords", options.chords,
                   "chord evidence: fitted, refit (on all files with the setting's finding), fitted-cv\n"
                   "(fitted without the file's fold)")
        ->delimiter(',')->type_name("NAMES")->capture_default_str()->group(Chords)
        ->check(namedBy({"fitted", "refit", "fitted-cv"}, "chord evidence"));
    app.add_option("--chord-prior", options.chordPrior, "chord evidence fitted: count N more of every class")
        ->type_name("N")->capture_default_str()->group(Chords);
}

void addReports(CLI::App &app, KeyscoreOptions &options)
{
    app.add_flag("--files", options.perFile, "one line per file for the first combination")->group(Reports);
    app.add_flag("--reliability", options.reliability, "accuracy against confidence, and the ambiguity thresholds")
        ->group(Reports);
    app.add_option("--nested", options.nested,
                   "K-fold choice of the combination: each fold scored with the one best on the others\n"
                   "(folds by piece; wir songs by composer, textbook examples by book; K: 2 or more)")
        ->type_name("K")->group(Reports)->check(tools::foldCount());
    app.add_option("--calibration", options.calibrationFolds,
                   "confidence against accuracy by decile, calibration fitted on K-1 of K folds of\n"
                   "pieces (K: 2 or more)")
        ->type_name("K")->group(Reports)->check(tools::foldCount());
    app.add_option("--window-calibration", options.windowCalibrationFolds,
                   "the local keys' confidence against the annotated keys by tenths, window by window, the\n"
                   "calibration fitted on K-1 of K folds of pieces, for the first combination (K: 2 or more)")
        ->type_name("K")->group(Reports)->check(tools::foldCount());
}

void addTables(CLI::App &app, KeyscoreOptions &options)
{
    app.add_flag("--fit", options.printProfile, "print the corpus profile as a header (fittedprofile.h) and stop")
        ->group(Tables);
    app.add_flag("--fit-changes", options.printChanges,
                 "print the key changes by relation as a header (fittedchanges.h) and stop")->group(Tables);
    app.add_flag("--fit-chord-evidence", options.printChordEvidence,
                 "print the window chord evidence as a header (fittedchordevidence.h) and stop")->group(Tables);
    app.add_option("--fit-calibration", options.calibrationHeader,
                   "write the calibration fitted on the corpus as a header (fittedcalibration.h) through a\n"
                   "temporary file renamed over it, and stop")
        ->type_name("FILE")->group(Tables);
    std::vector<std::string> tableNames;
    for (Table t : allTables())
        tableNames.push_back(tableName(t));
    CLI::Option *fit = app.add_option("--fit-tables", options.fitTables,
                                      "fit the tables in order and write each header into DIR (app/core/profile) through a\n"
                                      "temporary file renamed over it, and stop")
                           ->type_name("DIR")->group(Tables);
    app.add_option("--check-tables", options.checkTables,
                   "fit the tables into memory and compare them with the headers in DIR: the lines that\n"
                   "differ, exit 1 if any do, 77 without a corpus")
        ->type_name("DIR")->group(Tables)->excludes(fit);
    app.add_option("--table", options.tables,
                   "the tables --fit-tables and --check-tables write or compare (default: all): profile,\n"
                   "changes, chord-evidence, calibration, local-calibration")
        ->delimiter(',')->type_name("NAMES")->group(Tables)->check(namedBy(tableNames, "table"));
}

// "all" profiles named one by one, and the defaults where nothing is given. False when
// "all" is not alone.
bool completeSettings(KeyscoreOptions &options, const std::vector<std::string> &rates)
{
    const AnalysisOptions defaults;
    if (std::find(options.profiles.begin(), options.profiles.end(), "all") != options.profiles.end()) {
        if (options.profiles.size() > 1) {
            std::cerr << "tunedeck-keyscore: --profile all stands alone\n";
            return false;
        }
        options.profiles.clear();
        for (profile::Profile p : profile::allProfiles())
            options.profiles.push_back(profile::profileName(p));
        options.profiles.push_back("fitted-loo");
    }
    if (options.profiles.empty())
        options.profiles.push_back(profile::profileName(defaults.profile));
    options.rateSets = {defaults.local.changeRates};
    if (!rates.empty()) {
        options.rateSets.clear();
        for (const std::string &set : rates)
            options.rateSets.push_back(*rateSet(set));
    }
    return true;
}

} // namespace

std::optional<int> readCommandLine(int argc, char **argv, KeyscoreOptions &options)
{
    CLI::App app("Scores the profile analysis on the labelled corpus for chosen profiles and settings, so the\n"
                 "defaults can be chosen and justified, and fits the analysis' tables.",
                 "tunedeck-keyscore");
    tools::prepareHelp(app);
    app.footer("Every fitted table at once, the live tracker's too: cmake --build build --target fit-tables\n"
               "(docs/PROFILE-ANALYSIS.md).");
    app.add_option("corpus", options.corpus, "the labelled corpus, or one set of it")->capture_default_str();
    app.add_option("--scores", options.scores,
                   "score each file from the score of its name in DIR (.mxl, .musicxml, .xml) instead of\n"
                   "its MIDI file, leaving out files without one; repeat to search more folders")
        ->type_name("DIR")->allow_extra_args(false);
    std::vector<std::string> rates;
    addSettings(app, options, rates);
    addReports(app, options);
    addTables(app, options);
    if (const std::optional<int> code = tools::parseCommandLine(app, argc, argv))
        return code;
    if (!completeSettings(options, rates))
        return 2;
    return std::nullopt;
}

} // namespace tunedeck::keyscore
