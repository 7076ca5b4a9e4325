// tunedeck-chordscore: how well the chord analysis finds the annotated chords of the corpus,
// measured as chord recognition is measured elsewhere, so a fitted model can be judged.
#include "chordscore/barmeasures.h"
#include "chordscore/chordcalibration.h"
#include "chordscore/chordcorpus.h"
#include "chordscore/chordmodelfit.h"
#include "chordscore/chordoptions.h"
#include "chordscore/chordreport.h"
#include "chordscore/chordrun.h"
#include "chordscore/rntxtreference.h"

#include "common/fittedheader.h"

#include <cstdio>
#include <fstream>
#include <iostream>

using namespace tunedeck;
using namespace tunedeck::chordscore;

namespace {

// Writes through the stream write gives, to path ("-": the standard output).
template<typename Write>
bool writeTo(const std::string &path, Write write)
{
    if (path == "-") {
        write(std::cout);
        return bool(std::cout);
    }
    std::ofstream out(path);
    write(out);
    out.close();
    if (!out)
        std::cerr << "tunedeck-chordscore: cannot write " << path << "\n";
    return bool(out);
}

// --write-model: the model fitted on every file, written into its header (with --fit-calibration,
// only its calibration fitted again).
int writeModel(const ChordscoreOptions &o, const std::vector<ChordFile> &files)
{
    std::vector<const ChordFile *> all;
    for (const ChordFile &f : files)
        all.push_back(&f);
    FittedModel model;
    if (o.fitCalibration) { // the built weights and key prior kept, the calibration fitted again
        model.weights = chords::fittedChordWeights();
        model.keyPrior = chords::fittedKeyPrior();
        model.calibration = fitChordCalibration(all, o.analysis);
    } else {
        model = fitModel(all, o.analysis, o.settings);
    }
    std::string error;
    std::string sets;
    for (const ChordFile &f : files)
        if (sets.find(f.set) == std::string::npos)
            sets += (sets.empty() ? "" : ", ") + f.set;
    if (!tools::writeAtomically(o.writeModel, modelHeader(model, std::to_string(all.size()) + " files (" + sets + ")"), error)) {
        std::cerr << "tunedeck-chordscore: " << error << "\n";
        return 1;
    }
    return 0;
}

// What a fold's files are analysed with: the fast run's analysis, or with --fit the model
// fitted on the fold's training files.
ChordModel modelOf(const ChordscoreOptions &o, const std::vector<const ChordFile *> &training)
{
    ChordModel model;
    model.chords = o.analysis;
    model.musicBars = !o.meterBars;
    model.bars = o.bars;
    if (o.fit) {
        const FittedModel fitted = fitModel(training, o.analysis, o.settings);
        auto weights = std::make_shared<chords::ChordWeights>(fitted.weights);
        model.chords.weights = weights.get();
        model.chords.calibration = fitted.calibration;
        model.weights = std::move(weights);
        auto prior = std::make_shared<harmony::KeyChordTable>(fitted.keyPrior);
        model.chords.keyPrior = prior.get();
        model.keyPrior = std::move(prior);
    } else if (o.fitCalibration) {
        model.chords.calibration = fitChordCalibration(training, o.analysis);
    }
    return model;
}

} // namespace

int main(int argc, char **argv)
{
    ChordscoreOptions o;
    o.sets = {TUNEDECK_CORPUS};
    if (const std::optional<int> code = readCommandLine(argc, argv, o))
        return *code;
    std::vector<std::string> warnings;
    const auto paths = [](const std::vector<std::string> &names) {
        return chordSets(std::vector<std::filesystem::path>(names.begin(), names.end()));
    };
    std::vector<ChordFile> files = loadChordFiles(paths(o.sets), true, warnings,
                                                  keyscore::ScoreFolders(o.scores.begin(), o.scores.end()));
    const std::size_t scored = files.size();
    RomanTextTally romanText;
    if (o.rntxt)
        useRomanText(files, keyscore::ScoreFolders(o.scores.begin(), o.scores.end()), romanText, warnings);
    for (ChordFile &f : loadChordFiles(paths(o.fitOn), false, warnings))
        files.push_back(std::move(f));
    nameSets(files);
    for (const std::string &w : warnings)
        std::cerr << "tunedeck-chordscore: " << w << "\n";
    if (scored == 0) {
        std::cerr << "tunedeck-chordscore: no annotated chords in the sets given\n";
        return 1;
    }

    if (!o.writeModel.empty())
        return writeModel(o, files);
    const ChordFit fit = [&](const std::vector<const ChordFile *> &training) { return modelOf(o, training); };
    const std::vector<FileRun> runs = o.fitOnOnly ? heldOut(files, fit) : crossValidate(files, o.folds, fit);
    std::vector<FileScore> scores(files.size());
    int unread = 0;
    for (std::size_t i = 0; i < scored; ++i)
        if (!(scores[i] = scoreFile(files[i], estimateRows(runs[i].segments))).chords) {
            std::cerr << "tunedeck-chordscore: " << files[i].set << "/" << files[i].file.name
                      << ": its annotation is not chords in time order, not scored\n";
            ++unread;
        }

    std::printf("%zu files scored", scored - std::size_t(unread));
    if (files.size() > scored)
        std::printf(", %zu more fitted on", files.size() - scored);
    std::printf("; grouped %d-fold cross-validation: each file analysed with what is fitted on the other folds\n",
                o.folds);
    if (o.rntxt)
        printRomanTextTally(romanText);
    const std::vector<SetSummary> sets = summarise(files, scores);
    printSummary(sets);
    printReliability(sets);
    printQualities(sets);
    printBars(files, runs);
    printSpeed(files, runs, o.noSpeed ? std::vector<double>{} : libraryRunMs(files));

    bool written = true;
    if (!o.perFile.empty())
        written &= writeTo(o.perFile, [&](std::ostream &out) { writePerFile(out, files, runs, scores); });
    if (!o.dump.empty())
        written &= writeTo(o.dump, [&](std::ostream &out) { writeDump(out, files, runs); });
    if (!o.reference.empty())
        written &= writeTo(o.reference, [&](std::ostream &out) { writeReference(out, files); });
    if (!o.barFeatures.empty())
        written &= writeTo(o.barFeatures, [&](std::ostream &out) { writeBarFeatures(out, files); });
    return written ? 0 : 1;
}
