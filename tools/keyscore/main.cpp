// tunedeck-keyscore: how well the key analysis finds the labelled keys of the shared corpus,
// for chosen profiles and settings, so the defaults can be chosen and justified.
#include "keyscore/calibration.h"
#include "keyscore/chordevidencefit.h"
#include "keyscore/corpus.h"
#include "keyscore/fittables.h"
#include "keyscore/options.h"
#include "keyscore/report.h"
#include "keyscore/scoring.h"
#include "keyscore/windowcalibration.h"

#include "common/fittedheader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>

using namespace tunedeck;
using namespace tunedeck::profile;
using namespace tunedeck::keyscore;

namespace {

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

// The modes that fit tables (--fit-tables, --check-tables, --fit, --fit-calibration,
// --fit-changes, --fit-chord-evidence): their exit code; nothing when none is asked for.
std::optional<int> fitOrPrintTables(const KeyscoreOptions &o, const std::vector<CorpusFile> &files)
{
    const TableFit fit{o.changePrior, o.chordPrior};
    if (!o.fitTables.empty() || !o.checkTables.empty()) {
        std::vector<Table> tables;
        for (const std::string &name : o.tables)
            tables.push_back(*tableByName(name));
        const std::vector<tools::FittedHeader> headers = fitTables(files, tables.empty() ? allTables() : tables, fit);
        return o.checkTables.empty() ? tools::writeHeaders(o.fitTables, headers, std::cout, std::cerr)
                                     : tools::checkHeaders(o.checkTables, headers, std::cout);
    }
    const auto header = [&](Table t) { return fitTables(files, std::array{t}, fit).front().text; };
    if (o.printProfile) {
        std::cout << header(Table::Profile);
        return 0;
    }
    if (!o.calibrationHeader.empty()) {
        std::string error;
        if (!tools::writeAtomically(o.calibrationHeader, header(Table::Calibration), error)) {
            std::cerr << "tunedeck-keyscore: " << error << "\n";
            return 1;
        }
        return 0;
    }
    if (o.printChanges || o.printChordEvidence) {
        std::cout << header(o.printChanges ? Table::Changes : Table::ChordEvidence);
        return 0;
    }
    return std::nullopt;
}

// Every combination of the lists, each list's values set by its setter.
std::vector<Setting> allSettings(const KeyscoreOptions &o)
{
    std::vector<Setting> settings;
    for (const std::string &profile : o.profiles)
        for (const std::string &changes : o.changes)
            for (const std::string &chords : o.chords) {
                Setting s{profile, changes, chords, AnalysisOptions{}};
                if (profile != "fitted-loo")
                    s.options.profile = *profileByName(profile);
                if (changes == "uniform")
                    s.options.local.changes = ChangeWeights{};
                settings.push_back(s);
            }
    for (std::size_t list = 0; list < listOptions().size(); ++list) {
        std::vector<Setting> expanded;
        for (const Setting &s : settings)
            for (double v : o.lists[list]) {
                expanded.push_back(s);
                listOptions()[list].set(expanded.back().options, v);
            }
        settings = std::move(expanded);
    }
    std::vector<Setting> expanded;
    for (const Setting &s : settings)
        for (const std::vector<double> &r : o.rateSets) {
            expanded.push_back(s);
            expanded.back().options.local.changeRates = r;
        }
    return expanded;
}

// Each fold's files left out: the training files of every fold.
std::vector<std::vector<bool>> trainingOfFolds(const std::vector<int> &foldOf, int folds)
{
    std::vector<std::vector<bool>> training(std::size_t(folds), std::vector<bool>(foldOf.size()));
    for (int fold = 0; fold < folds; ++fold)
        for (std::size_t i = 0; i < foldOf.size(); ++i)
            training[std::size_t(fold)][i] = foldOf[i] != fold;
    return training;
}

// The chord evidence a setting fits with its chord finding: on all files ("refit"), per fold
// without it ("fitted-cv"), or none (the fitted one).
std::vector<harmony::KeyChordTable> settingChordEvidence(const Setting &s, const std::vector<CorpusFile> &files,
                                                         const std::vector<std::vector<bool>> &foldTraining,
                                                         double prior)
{
    const LocalKeyOptions &l = s.options.local;
    std::vector<harmony::KeyChordTable> tables;
    if (l.chordWeight == 0 && l.chordRateWeight == 0 && l.chordSlowWeight == 0)
        return tables;
    if (s.chords == "refit")
        tables.push_back(fitChordEvidence(files, std::vector<bool>(files.size(), true), l.chordFinding, prior,
                                          s.options.windowQuarters));
    if (s.chords == "fitted-cv")
        for (const std::vector<bool> &training : foldTraining)
            tables.push_back(fitChordEvidence(files, training, l.chordFinding, prior, s.options.windowQuarters));
    return tables;
}

void printFileLine(const CorpusFile &file, const ProfileAnalysis &a, const FileResult &r)
{
    std::printf("%s/%s\t%s\t%s\t%.2f\tlocal %.1f %%\tchanges every %.0f quarters\tshown %d, annotated "
                "%d, followed %d/%d%s\n",
                file.set.c_str(), file.name.c_str(), analysisKeyName(file.keyCode).c_str(),
                analysisKeyName(a.keyCode).c_str(), a.confidence, 100 * r.local.exact,
                a.changeRate > 0 ? 1 / a.changeRate : 0.0, r.follow.shown, r.follow.annotated, r.follow.followed,
                r.follow.scored, a.ambiguous ? "\tambiguous" : "");
}

// What the settings' runs share: the files, their folds and what is fitted per fold.
struct Run {
    const KeyscoreOptions &o;
    const std::vector<CorpusFile> &files;
    std::vector<std::array<double, 12>> durations; // for "fitted-loo"
    std::vector<int> foldOf;
    std::vector<std::vector<bool>> foldTraining;
    std::vector<ChangeWeights> foldChanges; // the key changes fitted without each fold ("fitted-cv")
    std::map<int, std::vector<KeyWorkspace>> workspaces; // per window length, shared by all settings
    std::vector<CalibrationSample> calibration;
    std::vector<ProfileAnalysis> firstAnalyses; // of the first setting, for the windows' calibration
};

Run prepareRun(const KeyscoreOptions &o, const std::vector<CorpusFile> &files)
{
    Run run{o, files, {}, groupFolds(files, o.folds), {}, {}, {}, {}, {}};
    for (const CorpusFile &f : files)
        run.durations.push_back(fileDurations(f));
    run.foldTraining = trainingOfFolds(run.foldOf, o.folds);
    for (const std::vector<bool> &training : run.foldTraining)
        run.foldChanges.push_back(fitChanges(files, training, o.changePrior));
    return run;
}

// Every file analysed with the setting and scored; the first setting also gathers the
// calibrations' samples and prints each file's line when asked.
std::vector<FileResult> runSetting(Run &run, const Setting &s, bool first)
{
    const std::vector<CorpusFile> &files = run.files;
    auto &ws = run.workspaces[s.options.windowQuarters];
    if (ws.empty())
        for (const CorpusFile &f : files) {
            ws.emplace_back(f.ticksPerQuarter, s.options.windowQuarters);
            ws.back().add(f.events);
        }
    const std::vector<harmony::KeyChordTable> chordTables =
        settingChordEvidence(s, files, run.foldTraining, run.o.chordPrior);
    std::vector<FileResult> r;
    for (std::size_t i = 0; i < files.size(); ++i) {
        AnalysisOptions options = s.options;
        if (s.profile == "fitted-loo")
            options.weights = fitProfile(files, run.durations, i);
        if (s.changes == "fitted-cv")
            options.local.changes = run.foldChanges[std::size_t(run.foldOf[i])];
        if (!chordTables.empty())
            options.local.chordEvidence = chordTables[chordTables.size() == 1 ? 0 : std::size_t(run.foldOf[i])];
        const ProfileAnalysis a = analyseProfile(ws[i], 4 * files[i].ticksPerQuarter, options);
        r.push_back(scoreFile(files[i], a));
        if (run.o.windowCalibrationFolds && first)
            run.firstAnalyses.push_back(a);
        if (auto sample = calibrationSample(files[i], a); sample && run.o.calibrationFolds && first)
            run.calibration.push_back(std::move(*sample));
        if (run.o.perFile && first)
            printFileLine(files[i], a, r.back());
    }
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    KeyscoreOptions o;
    o.corpus = TUNEDECK_CORPUS;
    if (const std::optional<int> code = readCommandLine(argc, argv, o))
        return *code;

    std::vector<std::string> warnings;
    const std::vector<CorpusFile> files = loadCorpus(o.corpus, warnings, ScoreFolders(o.scores.begin(), o.scores.end()));
    for (const std::string &w : warnings)
        std::cerr << "tunedeck-keyscore: " << w << "\n";
    if (files.empty()) {
        std::cerr << "tunedeck-keyscore: no labelled MIDI files in " << o.corpus << "\n";
        return o.checkTables.empty() ? 1 : tools::NoCorpusToCheck;
    }
    if (const std::optional<int> code = fitOrPrintTables(o, files))
        return *code;
    Run run = prepareRun(o, files);
    const std::vector<Setting> settings = allSettings(o);

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
    for (const Setting &s : settings) {
        const std::vector<FileResult> &r = results.emplace_back(runSetting(run, s, &s == &settings.front()));
        const Summary summary = summarise(files, r, everyFile);
        printRow(settingLabel(s), summary);
        if (o.reliability)
            printReliability(r);
        std::fflush(stdout);
    }
    if (o.nested >= 2)
        printNested(o.nested, files, settings, results);
    if (o.calibrationFolds >= 2)
        printCalibration(run.calibration, o.calibrationFolds);
    if (o.windowCalibrationFolds >= 2) {
        std::printf("local keys' confidence, %d-fold cross-validation grouped by piece, window by window:\n",
                    o.windowCalibrationFolds);
        printWindowCalibration(files, windowSamples(files, run.firstAnalyses), o.windowCalibrationFolds);
    }
    return 0;
}
