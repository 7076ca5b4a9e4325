#include "chordscore/chordrun.h"

#include "core/analysis/fileanalysis.h"
#include "core/harmony/romannumeral.h"
#include "core/tonalyte/linkedtonalyte.h"

#include <chrono>
#include <cmath>

namespace tunedeck::chordscore {

namespace {

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

ChordModel firstCut(const std::vector<const ChordFile *> &)
{
    return {};
}

FileRun analyseFile(const keyscore::CorpusFile &file, const ChordModel &model,
                    std::vector<chords::ConfidenceInputs> *inputs)
{
    FileRun run;
    chords::ChordClock clock{file.ticksPerQuarter, 4 * std::int64_t(file.ticksPerQuarter), file.msPerTick};
    auto start = std::chrono::steady_clock::now();
    if (model.musicBars)
        clock = chords::musicClock(file.events, clock, file.statedQuarters, model.bars);
    const profile::ProfileAnalysis keys =
        profile::analyseProfile(file.events, file.ticksPerQuarter, clock.ticksPerBar, model.keys);
    run.profileMs = msSince(start);
    start = std::chrono::steady_clock::now();
    run.segments = chords::analyseChords(chords::chordFrames(file.events, clock.ticksPerQuarter, clock.beatPhase, model.chords),
                                         clock, keys, model.chords, inputs);
    run.chordMs = msSince(start);
    return run;
}

std::vector<FileRun> crossValidate(const std::vector<ChordFile> &files, int folds, const ChordFit &fit)
{
    std::vector<std::string> groups;
    for (const ChordFile &f : files)
        groups.push_back(f.file.group);
    const int count = std::max(folds, 1);
    const std::vector<int> foldOf = folds >= 2 ? keyscore::foldsOfGroups(groups, folds) : std::vector<int>(files.size(), 0);
    std::vector<FileRun> runs(files.size());
    for (int fold = 0; fold < count; ++fold) {
        std::vector<const ChordFile *> training;
        for (std::size_t i = 0; i < files.size(); ++i)
            if (foldOf[i] != fold || count == 1)
                training.push_back(&files[i]);
        const ChordModel model = fit(training);
        for (std::size_t i = 0; i < files.size(); ++i)
            if (foldOf[i] == fold && files[i].scored) {
                runs[i] = analyseFile(files[i].file, model);
                runs[i].fold = fold;
            }
    }
    return runs;
}

std::vector<FileRun> heldOut(const std::vector<ChordFile> &files, const ChordFit &fit)
{
    std::vector<const ChordFile *> training;
    for (const ChordFile &f : files)
        if (!f.scored)
            training.push_back(&f);
    const ChordModel model = fit(training);
    std::vector<FileRun> runs(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].scored)
            runs[i] = analyseFile(files[i].file, model);
    return runs;
}

std::vector<ChordRow> estimateRows(const std::vector<chords::ChordSegment> &segments)
{
    std::vector<ChordRow> rows;
    for (const chords::ChordSegment &s : segments)
        rows.push_back({s.tick, s.endTick, harmony::harteLabel(s.chord, s.keyCode), harmony::romanNumeral(s.chord, s.keyCode),
                        s.keyCode, s.confidence});
    return rows;
}

Reliability &Reliability::operator+=(const Reliability &other)
{
    for (std::size_t b = 0; b < bins.size(); ++b) {
        bins[b].quarters += other.bins[b].quarters;
        bins[b].confidence += other.bins[b].confidence;
        bins[b].right += other.bins[b].right;
    }
    return *this;
}

double Reliability::calibrationError() const
{
    double total = 0, error = 0;
    for (const Bin &b : bins) {
        total += b.quarters;
        error += std::abs(b.confidence - b.right);
    }
    return total > 0 ? error / total : 0;
}

std::string harteQualityOf(std::string_view label)
{
    if (label == "N" || label == "X")
        return std::string(label);
    const std::size_t colon = label.find(':');
    if (colon == std::string_view::npos)
        return "maj";
    const std::string_view quality = label.substr(colon + 1);
    return std::string(quality.substr(0, quality.find('/')));
}

QualityCounts &operator+=(QualityCounts &counts, const QualityCounts &other)
{
    for (const auto &[quality, n] : other) {
        counts[quality][0] += n[0];
        counts[quality][1] += n[1];
    }
    return counts;
}

FileScore scoreFile(const ChordFile &file, const std::vector<ChordRow> &estimate)
{
    FileScore score;
    for (const ChordRow &row : estimate)
        ++score.qualities[harteQualityOf(row.label)][0];
    for (const ChordRow &row : file.reference)
        ++score.qualities[harteQualityOf(row.label)][1];
    score.chords = measureFile(file.reference, estimate);
    if (!score.chords)
        return score;
    const std::vector<ChordRow> adjusted =
        adjustedEstimate(estimate, file.reference.front().start, file.reference.back().end);
    score.romans = measureRomans(file.reference, adjusted);
    const double perQuarter = std::max(file.file.ticksPerQuarter, 1);
    forEachPiece(file.reference, adjusted, [&](std::int64_t from, std::int64_t to, std::size_t r, std::size_t e) {
        const std::optional<double> confidence = adjusted[e].confidence;
        if (!confidence)
            return; // nothing shown there
        const auto shown = encodeHarte(adjusted[e].label), annotated = encodeHarte(file.reference[r].label);
        const bool right = shown && annotated && !annotated->unknown && *shown == *annotated;
        Reliability::Bin &bin = score.reliability.bins[std::size_t(std::clamp(int(*confidence * 10), 0, 9))];
        const double quarters = double(to - from) / perQuarter;
        bin.quarters += quarters;
        bin.confidence += *confidence * quarters;
        bin.right += right ? quarters : 0;
    });
    return score;
}

std::vector<double> libraryRunMs(const std::vector<ChordFile> &files)
{
    LinkedTonalyte engine;
    AnalysisChoices choices;
    choices.withProfile = false;
    std::vector<double> ms;
    for (const ChordFile &f : files) {
        if (!f.scored)
            continue;
        const auto start = std::chrono::steady_clock::now();
        analysePath(engine, (f.folder / f.file.name).string(), choices);
        ms.push_back(msSince(start));
    }
    return ms;
}

} // namespace tunedeck::chordscore
