// tunedeck-keyscore: how well the key analysis finds the labelled keys of the shared corpus,
// for chosen profiles and settings, so the defaults can be chosen and justified.
#include "keyscore/calibration.h"
#include "keyscore/chordfit.h"
#include "keyscore/corpus.h"
#include "keyscore/lists.h"
#include "keyscore/report.h"
#include "keyscore/scoring.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <iostream>
#include <map>
#include <string_view>

using namespace tunedeck;
using namespace tunedeck::profile;
using namespace tunedeck::keyscore;

namespace {

constexpr const char *Usage =
    "usage: tunedeck-keyscore [CORPUS] [options]\n"
    "Scores the key analysis on CORPUS (default: the shared corpus beside the project).\n"
    "Setting options take comma-separated lists; every combination gets a row.\n"
    "  --profile NAMES     profile names, 'fitted-loo' (fitted again without the file scored) or 'all'\n"
    "  --stay LIST         stay probabilities\n"
    "  --window LIST       window lengths in quarter notes\n"
    "  --sharpness LIST    emission sharpness\n"
    "  --bass LIST         extra weight of the lowest note\n"
    "  --hint LIST         final bass note hint\n"
    "  --falloff LIST      circle-of-fifths falloff of key changes\n"
    "  --confidence LIST   sharpness of the emissions behind the confidences\n"
    "  --files             one line per file for the first combination\n"
    "  --reliability       accuracy against confidence, and the ambiguity thresholds\n"
    "  --nested K          K-fold choice of the combination: each fold scored with the one best on the others\n"
    "                      (folds by piece; wir songs by composer, textbook examples by book)\n"
    "  --global LIST       the global key's window in quarter notes\n"
    "  --local-sharpness LIST, --rate-sharpness LIST, --rate-bonus LIST, --local-hint LIST\n"
    "                      local keys: emission sharpness, that the rates are judged at, bonus per doubling\n"
    "                      of the rate, final bass hint\n"
    "  --growth LIST       local keys: sharpness times (rate * 64)^growth\n"
    "  --coarse-below LIST local keys: rates up to this followed in the global key's windows\n"
    "  --rates SETS        change rates per quarter tried per piece, '/' between rates, 'none' for the stay\n"
    "  --changes NAMES     key changes by relation: fitted, uniform, fitted-cv (fitted without the file's fold)\n"
    "  --folds K           folds for fitted-cv (default 5)\n"
    "  --change-prior N    key changes fitted: count N more of every relation (default 20)\n"
    "  --chords NAMES      chord table: fitted, refit (on all files with the setting's finding), fitted-cv\n"
    "  --chord-weight LIST, --chord-rate-weight LIST, --chord-slow-weight LIST\n"
    "                      local keys: weight of the chord evidence in the 2-quarter windows, the rates'\n"
    "                      judging, the slow path\n"
    "  --chord-missing LIST, --chord-bass LIST, --chord-threshold LIST  chord finding\n"
    "  --chord-prior N     chord table fitted: count N more of every chord class (default 1)\n"
    "  --fit-chords        print the chord table as a header (fittedchords.h) and stop\n"
    "  --fit               print the corpus profile as a header (fittedprofile.h) and stop\n"
    "  --fit-changes       print the key changes by relation as a header (fittedchanges.h) and stop\n"
    "  --calibration K     confidence against accuracy by decile, calibration fitted on K-1 folds of pieces\n"
    "  --fit-calibration FILE  write the calibration fitted on the corpus as a header (fittedcalibration.h) and stop\n";

// "fitted-loo" is the fitted profile made again for each file without that file.
struct Setting {
    std::string profile;
    std::string changes; // "fitted", "uniform" or "fitted-cv" (fitted without the file's fold)
    std::string chords = "fitted"; // "fitted", "refit" or "fitted-cv"
    AnalysisOptions options;
};

std::string settingLabel(const Setting &s)
{
    char buf[256];
    const AnalysisOptions &o = s.options;
    const LocalKeyOptions &l = o.local;
    std::string rates = l.changeRates.empty() ? "none" : "";
    for (double r : l.changeRates)
        rates += (rates.empty() ? "1/" : ",") + std::to_string(int(std::lround(1 / r)));
    std::snprintf(buf, sizeof buf, "%-22s %3d %5.4g %5.3g %4.3g %4.3g %4.3g %4.3g | %2d %4.3g %4.3g %4.3g %4.3g %4.3g %6.3g %-9s %s",
                  s.profile.c_str(), o.windowQuarters, o.stay, o.sharpness, o.bassWeight, o.finalBassHint,
                  o.fifthsFalloff, o.confidenceSharpness, o.globalQuarters, l.sharpness, l.sharpnessGrowth,
                  l.rateSharpness, l.rateBonus, l.finalBassHint, l.coarseBelow, s.changes.c_str(), rates.c_str());
    std::string label = buf;
    if (l.chordWeight != 0 || l.chordRateWeight != 0 || l.chordSlowWeight != 0) {
        std::snprintf(buf, sizeof buf, " | chords %s %g/%g/%g, missing %g, bass %g, none below %g", s.chords.c_str(),
                      l.chordWeight, l.chordRateWeight, l.chordSlowWeight, l.chordFinding.missingPenalty,
                      l.chordFinding.bassBonus, l.chordFinding.noChordBelow);
        label += buf;
    }
    return label;
}

// Each fold is scored with the setting that does best on the other folds, so the figure
// says how well choosing the setting on the corpus carries over to files not seen.
void printNested(int folds, const std::vector<CorpusFile> &files, const std::vector<Setting> &settings,
                 const std::vector<std::vector<FileResult>> &results)
{
    std::vector<FileResult> chosen(files.size());
    const std::vector<int> foldOf = groupFolds(files, folds);
    for (int fold = 0; fold < folds; ++fold) {
        std::vector<bool> training(files.size()), testing(files.size());
        for (std::size_t i = 0; i < files.size(); ++i)
            (foldOf[i] == fold ? testing : training)[i] = true;
        std::size_t best = 0;
        double bestScore = -1;
        for (std::size_t s = 0; s < settings.size(); ++s) {
            const double score = criterion(summarise(files, results[s], training));
            if (score > bestScore) {
                bestScore = score;
                best = s;
            }
        }
        std::printf("    fold %d of %d chooses %s\n", fold + 1, folds, settingLabel(settings[best]).c_str());
        for (std::size_t i = 0; i < files.size(); ++i)
            if (testing[i])
                chosen[i] = results[best][i];
    }
    printRow("nested " + std::to_string(folds) + "-fold choice", summarise(files, chosen, std::vector<bool>(files.size(), true)));
}

} // namespace

int main(int argc, char **argv)
{
    std::string corpusPath = TUNEDECK_CORPUS;
    const AnalysisOptions defaults;
    std::vector<std::string> profiles = {profileName(defaults.profile)};
    using Setter = void (*)(AnalysisOptions &, double);
    const std::vector<std::pair<std::string, Setter>> setters = {
        {"--stay", [](AnalysisOptions &o, double v) { o.stay = v; }},
        {"--window", [](AnalysisOptions &o, double v) { o.windowQuarters = std::max(1, int(v)); }},
        {"--global", [](AnalysisOptions &o, double v) { o.globalQuarters = std::max(1, int(v)); }},
        {"--sharpness", [](AnalysisOptions &o, double v) { o.sharpness = v; }},
        {"--bass", [](AnalysisOptions &o, double v) { o.bassWeight = v; }},
        {"--hint", [](AnalysisOptions &o, double v) { o.finalBassHint = v; }},
        {"--falloff", [](AnalysisOptions &o, double v) { o.fifthsFalloff = v; }},
        {"--confidence", [](AnalysisOptions &o, double v) { o.confidenceSharpness = v; }},
        {"--local-sharpness", [](AnalysisOptions &o, double v) { o.local.sharpness = v; }},
        {"--rate-sharpness", [](AnalysisOptions &o, double v) { o.local.rateSharpness = v; }},
        {"--rate-bonus", [](AnalysisOptions &o, double v) { o.local.rateBonus = v; }},
        {"--local-hint", [](AnalysisOptions &o, double v) { o.local.finalBassHint = v; }},
        {"--growth", [](AnalysisOptions &o, double v) { o.local.sharpnessGrowth = v; }},
        {"--coarse-below", [](AnalysisOptions &o, double v) { o.local.coarseBelow = v; }},
        {"--chord-weight", [](AnalysisOptions &o, double v) { o.local.chordWeight = v; }},
        {"--chord-rate-weight", [](AnalysisOptions &o, double v) { o.local.chordRateWeight = v; }},
        {"--chord-slow-weight", [](AnalysisOptions &o, double v) { o.local.chordSlowWeight = v; }},
        {"--chord-missing", [](AnalysisOptions &o, double v) { o.local.chordFinding.missingPenalty = v; }},
        {"--chord-bass", [](AnalysisOptions &o, double v) { o.local.chordFinding.bassBonus = v; }},
        {"--chord-threshold", [](AnalysisOptions &o, double v) { o.local.chordFinding.noChordBelow = v; }},
    };
    std::map<std::string, std::vector<double>> lists = {
        {"--stay", {defaults.stay}},
        {"--window", {double(defaults.windowQuarters)}},
        {"--global", {double(defaults.globalQuarters)}},
        {"--sharpness", {defaults.sharpness}},
        {"--bass", {defaults.bassWeight}},
        {"--hint", {defaults.finalBassHint}},
        {"--falloff", {defaults.fifthsFalloff}},
        {"--confidence", {defaults.confidenceSharpness}},
        {"--local-sharpness", {defaults.local.sharpness}},
        {"--rate-sharpness", {defaults.local.rateSharpness}},
        {"--rate-bonus", {defaults.local.rateBonus}},
        {"--local-hint", {defaults.local.finalBassHint}},
        {"--growth", {defaults.local.sharpnessGrowth}},
        {"--coarse-below", {defaults.local.coarseBelow}},
        {"--chord-weight", {defaults.local.chordWeight}},
        {"--chord-rate-weight", {defaults.local.chordRateWeight}},
        {"--chord-slow-weight", {defaults.local.chordSlowWeight}},
        {"--chord-missing", {defaults.local.chordFinding.missingPenalty}},
        {"--chord-bass", {defaults.local.chordFinding.bassBonus}},
        {"--chord-threshold", {defaults.local.chordFinding.noChordBelow}},
    };
    std::vector<std::vector<double>> rateSets = {defaults.local.changeRates};
    std::vector<std::string> changeNames = {"fitted"}, chordNames = {"fitted"};
    double chordPrior = 1;
    bool fitChordsOnly = false;
    int folds = 5;
    double changePrior = 20;
    bool perFile = false, fit = false, fitChangesOnly = false, reliability = false;
    int nested = 0;
    int calibrationFolds = 0;
    std::string calibrationHeader;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        } else if (arg == "--files") {
            perFile = true;
        } else if (arg == "--reliability") {
            reliability = true;
        } else if (arg == "--fit") {
            fit = true;
        } else if (arg == "--fit-chords") {
            fitChordsOnly = true;
        } else if (arg == "--chords" && hasValue) {
            chordNames = splitNames(argv[++i]);
        } else if (arg == "--chord-prior" && hasValue) {
            chordPrior = std::atof(argv[++i]);
        } else if (arg == "--fit-changes") {
            fitChangesOnly = true;
        } else if (arg == "--nested" && hasValue && (nested = std::atoi(argv[++i])) >= 2) {
        } else if (arg == "--calibration" && hasValue && (calibrationFolds = std::atoi(argv[++i])) >= 2) {
        } else if (arg == "--fit-calibration" && hasValue) {
            calibrationHeader = argv[++i];
        } else if (arg == "--folds" && hasValue && (folds = std::atoi(argv[++i])) >= 2) {
        } else if (arg == "--change-prior" && hasValue) {
            changePrior = std::atof(argv[++i]);
        } else if (arg == "--changes" && hasValue) {
            changeNames = splitNames(argv[++i]);
        } else if (arg == "--rates" && hasValue) {
            rateSets.clear();
            for (std::string set : splitNames(argv[++i])) {
                std::replace(set.begin(), set.end(), '/', ',');
                if (set != "none" && !parseList(set, rateSets.emplace_back())) {
                    std::cerr << "tunedeck-keyscore: --rates needs numbers separated by '/', sets by commas\n";
                    return 2;
                }
                if (set == "none")
                    rateSets.emplace_back();
            }
        } else if (arg == "--profile" && hasValue) {
            profiles = splitNames(argv[++i]);
            if (profiles == std::vector<std::string>{"all"}) {
                profiles.clear();
                for (Profile p : allProfiles())
                    profiles.push_back(profileName(p));
                profiles.push_back("fitted-loo");
            }
            for (const std::string &p : profiles)
                if (p != "fitted-loo" && !profileByName(p)) {
                    std::cerr << "tunedeck-keyscore: no profile named " << p << "\n";
                    return 2;
                }
        } else if (lists.count(std::string(arg)) && hasValue) {
            if (!parseList(argv[++i], lists[std::string(arg)])) {
                std::cerr << "tunedeck-keyscore: " << arg << " needs numbers separated by commas\n";
                return 2;
            }
        } else if (!arg.starts_with("-")) {
            corpusPath = arg;
        } else {
            std::cerr << Usage;
            return 2;
        }
    }

    std::vector<std::string> warnings;
    const std::vector<CorpusFile> files = loadCorpus(corpusPath, warnings);
    for (const std::string &w : warnings)
        std::cerr << "tunedeck-keyscore: " << w << "\n";
    if (files.empty()) {
        std::cerr << "tunedeck-keyscore: no labelled MIDI files in " << corpusPath << "\n";
        return 1;
    }
    std::vector<std::array<double, 12>> durations;
    for (const CorpusFile &f : files)
        durations.push_back(fileDurations(f));
    if (fit) {
        std::cout << fittedProfileHeader(fitProfile(files, durations), files);
        return 0;
    }
    if (!calibrationHeader.empty())
        return writeFittedCalibration(calibrationSamples(files, defaults), calibrationHeader) ? 0 : 1;
    std::vector<CalibrationSample> calibration;
    if (fitChangesOnly) {
        std::cout << fittedChangesHeader(fitChanges(files, std::vector<bool>(files.size(), true), changePrior), files,
                                         changePrior);
        return 0;
    }
    if (fitChordsOnly) {
        const std::vector<bool> all(files.size(), true);
        std::cout << fittedChordsHeader(fitChords(files, all, ChordFinding{}, chordPrior, defaults.windowQuarters), files,
                                        chordPrior, defaults.windowQuarters);
        return 0;
    }
    // The key changes fitted again for each fold without it ("fitted-cv").
    const std::vector<int> foldOf = groupFolds(files, folds);
    std::vector<ChangeWeights> foldChanges;
    for (int fold = 0; fold < folds; ++fold) {
        std::vector<bool> training(files.size());
        for (std::size_t i = 0; i < files.size(); ++i)
            training[i] = foldOf[i] != fold;
        foldChanges.push_back(fitChanges(files, training, changePrior));
    }

    // Every combination of the lists, each list's values set by its setter.
    std::vector<Setting> settings;
    for (const std::string &profile : profiles)
        for (const std::string &changes : changeNames)
            for (const std::string &chords : chordNames) {
                Setting s{profile, changes, chords, defaults};
                if (profile != "fitted-loo")
                    s.options.profile = *profileByName(profile);
                if (changes == "uniform")
                    s.options.local.changes = ChangeWeights{};
                settings.push_back(s);
            }
    for (const auto &[flag, set] : setters) {
        std::vector<Setting> expanded;
        for (const Setting &s : settings)
            for (double v : lists[flag]) {
                expanded.push_back(s);
                set(expanded.back().options, v);
            }
        settings = std::move(expanded);
    }
    {
        std::vector<Setting> expanded;
        for (const Setting &s : settings)
            for (const std::vector<double> &r : rateSets) {
                expanded.push_back(s);
                expanded.back().options.local.changeRates = r;
            }
        settings = std::move(expanded);
    }

    const std::vector<bool> everyFile(files.size(), true);
    {
        std::vector<FileResult> held;
        for (const CorpusFile &f : files)
            held.push_back(scoreFile(f, firstKeyHeld(f)));
        const Summary summary = summarise(files, held, everyFile);
        printHeader(summary);
        printRow("annotation's first key held all through", summary);
    }
    std::vector<std::vector<FileResult>> results;
    // One workspace per file and window length, shared by all settings.
    std::map<int, std::vector<KeyWorkspace>> workspaces;
    for (const Setting &s : settings) {
        auto &ws = workspaces[s.options.windowQuarters];
        if (ws.empty())
            for (const CorpusFile &f : files) {
                ws.emplace_back(f.ticksPerQuarter, s.options.windowQuarters);
                ws.back().add(f.events);
            }
        std::vector<FileResult> &r = results.emplace_back();
        // The chord table fitted with the setting's chord finding: on all files, or per fold without it.
        std::vector<ChordTable> chordTables;
        const bool anyChords = s.options.local.chordWeight != 0 || s.options.local.chordRateWeight != 0
                               || s.options.local.chordSlowWeight != 0;
        if (anyChords && s.chords == "refit")
            chordTables.push_back(fitChords(files, everyFile, s.options.local.chordFinding, chordPrior, s.options.windowQuarters));
        if (anyChords && s.chords == "fitted-cv")
            for (int fold = 0; fold < folds; ++fold) {
                std::vector<bool> training(files.size());
                for (std::size_t i = 0; i < files.size(); ++i)
                    training[i] = foldOf[i] != fold;
                chordTables.push_back(fitChords(files, training, s.options.local.chordFinding, chordPrior, s.options.windowQuarters));
            }
        for (std::size_t i = 0; i < files.size(); ++i) {
            AnalysisOptions options = s.options;
            if (s.profile == "fitted-loo")
                options.weights = fitProfile(files, durations, i);
            if (s.changes == "fitted-cv")
                options.local.changes = foldChanges[std::size_t(foldOf[i])];
            if (!chordTables.empty())
                options.local.chords = chordTables[chordTables.size() == 1 ? 0 : std::size_t(foldOf[i])];
            const ProfileAnalysis a = analyseProfile(ws[i], 4 * files[i].ticksPerQuarter, options);
            r.push_back(scoreFile(files[i], a));
            if (auto sample = calibrationSample(files[i], a); sample && calibrationFolds && &s == &settings.front())
                calibration.push_back(std::move(*sample));
            if (perFile && &s == &settings.front())
                std::printf("%s/%s\t%s\t%s\t%.2f\tlocal %.1f %%\tchanges every %.0f quarters%s\n", files[i].set.c_str(),
                            files[i].name.c_str(), analysisKeyName(files[i].keyCode).c_str(),
                            analysisKeyName(a.keyCode).c_str(), a.confidence, 100 * r.back().local.exact,
                            a.changeRate > 0 ? 1 / a.changeRate : 0.0, a.ambiguous ? "\tambiguous" : "");
        }
        const Summary summary = summarise(files, r, everyFile);
        printRow(settingLabel(s), summary);
        if (reliability)
            printReliability(r);
        std::fflush(stdout);
    }
    if (nested >= 2)
        printNested(nested, files, settings, results);
    if (calibrationFolds >= 2)
        printCalibration(calibration, calibrationFolds);
    return 0;
}
