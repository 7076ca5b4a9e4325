#include "keyscore/fittables.h"

#include "keyscore/calibration.h"
#include "keyscore/chordevidencefit.h"
#include "keyscore/scoring.h"
#include "keyscore/windowcalibration.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>

namespace tunedeck::keyscore {

using namespace profile;
using tools::asWritten;
using tools::fixed;

namespace {

constexpr std::array<Table, 5> Tables{Table::Profile, Table::Changes, Table::ChordEvidence, Table::Calibration,
                                      Table::LocalCalibration};
constexpr std::array<const char *, 5> Names{"profile", "changes", "chord-evidence", "calibration", "local-calibration"};
constexpr std::array<const char *, 5> Files{"fittedprofile.h", "fittedchanges.h", "fittedchordevidence.h",
                                            "fittedcalibration.h", "fittedlocalcalibration.h"};

// Places each table's numbers are written with.
constexpr int ProfileDecimals = 5, ChangeDecimals = 4, ChordDecimals = 6, CalibrationDecimals = 4;

// The command that makes the headers, named in their first line.
constexpr const char *WrittenBy =
    "// Written by `cmake --build build --target fit-tables` (tunedeck-keyscore --fit-tables)\n";

template <std::size_t N>
std::string row(const std::array<double, N> &values, int decimals)
{
    std::string s = "{";
    for (std::size_t i = 0; i < N; ++i)
        s += (i ? ", " : "") + fixed(values[i], decimals);
    return s + "}";
}

std::string guarded(const std::string &comment, const char *guard, const std::string &body)
{
    return comment + "#ifndef " + guard + "\n#define " + guard + "\n\n" + body
           + "\n} // namespace tunedeck::profile\n\n#endif\n";
}

// "12 bach, 100 pop909": how many files of each set a table was fitted on.
std::string setCounts(const std::map<std::string, int> &sets)
{
    std::string counts;
    for (const auto &[set, count] : sets)
        counts += (counts.empty() ? "" : ", ") + std::to_string(count) + " " + set;
    return counts;
}

std::string profileHeader(const ProfileWeights &weights, const std::vector<CorpusFile> &files)
{
    std::map<std::string, int> perSet;
    for (const CorpusFile &f : files)
        if (f.kind == Kind::Pop || f.kind == Kind::Chorale)
            ++perSet[f.set];
    return guarded(WrittenBy + ("// from the shared corpus (" + setCounts(perSet) + " files): each file's pitch-class durations\n")
                       + "// (every sounding note, all tracks after the tempo track, drums left out) summed over the\n"
                         "// file and scaled to sum 1, rotated so the labelled tonic comes first, then averaged over\n"
                         "// the files of each mode. Cross-validated scores (each file analysed with a fit made\n"
                         "// without it) are in docs/PROFILE-ANALYSIS.md.\n",
                   "TUNEDECK_CORE_PROFILE_FITTEDPROFILE_H",
                   "#include <array>\n\nnamespace tunedeck::profile {\n\n"
                   "inline constexpr std::array<double, 12> FittedMajor = " + row(weights.major, ProfileDecimals)
                       + ";\ninline constexpr std::array<double, 12> FittedMinor = " + row(weights.minor, ProfileDecimals)
                       + ";\n");
}

std::string changesHeader(const ChangeWeights &changes, const std::vector<CorpusFile> &files, double prior)
{
    int annotated = 0, changed = 0;
    for (const CorpusFile &f : files)
        if (!f.regions.empty()) {
            ++annotated;
            for (std::size_t j = 1; j < f.regions.size(); ++j)
                changed += f.regions[j].keyCode != f.regions[j - 1].keyCode;
        }
    return guarded(WrittenBy + ("// from the annotated local keys of the shared corpus (" + std::to_string(annotated)
                                + " files, " + std::to_string(changed) + " key changes:\n")
                       + "// pop909/regions.tsv, wir/localkeys.tsv): where each key change goes, by interval up from\n"
                         "// the key left and whether the mode changes (profile::ChangeWeights), counted plus "
                       + std::to_string(int(prior))
                       + " for\n// every relation (so rare ones keep some weight) and scaled to sum 1 per mode.\n"
                         "// Cross-validated in docs/PROFILE-ANALYSIS.md.\n",
                   "TUNEDECK_CORE_PROFILE_FITTEDCHANGES_H",
                   "#include <array>\n\nnamespace tunedeck::profile {\n\n"
                   "// Same mode 0..11 semitones up, then the other mode 0..11 up.\n"
                   "inline constexpr std::array<double, 24> FittedChangesFromMajor = " + row(changes[0], ChangeDecimals)
                       + ";\ninline constexpr std::array<double, 24> FittedChangesFromMinor = "
                       + row(changes[1], ChangeDecimals) + ";\n");
}

// The templates' classes in the header's order; the library reads the probabilities and takes
// their logarithms.
std::string evidenceRow(const std::array<double, harmony::ChordClassCount> &logs)
{
    std::string s = "{";
    for (std::size_t i = 0; i < WindowClassCount; ++i)
        s += std::string(i ? "," : "") + (i % WindowQualities.size() ? " " : "\n    ")
             + fixed(std::exp(logs[std::size_t(windowClass(i))]), ChordDecimals);
    return s + "}";
}

std::string evidenceHeader(const harmony::KeyChordTable &table, const ChordEvidenceCounts &c, double prior,
                           int windowQuarters)
{
    char prior_[32];
    std::snprintf(prior_, sizeof prior_, "%g", prior);
    return guarded(WrittenBy + ("// from the annotated local keys of the shared corpus (" + std::to_string(c.files)
                                + " files, " + std::to_string(c.windows) + " windows of " + std::to_string(windowQuarters)
                                + " quarter\n// note" + (windowQuarters > 1 ? "s" : "")
                                + " with a clear chord: pop909/regions.tsv, wir/localkeys.tsv): how often each chord\n")
                       + "// (profile::windowChord with its default finding) falls on each degree of the key annotated\n"
                         "// at the window's middle, counted plus "
                       + prior_
                       + " for every class of the templates and scaled to\n"
                         "// sum 1 per mode. Cross-validated in docs/PROFILE-ANALYSIS.md.\n",
                   "TUNEDECK_CORE_PROFILE_FITTEDCHORDEVIDENCE_H",
                   "#include <array>\n\nnamespace tunedeck::profile {\n\n"
                   "// Index 8 * (the root's semitones above the tonic) + the quality's place in\n"
                   "// profile::WindowQualities.\n"
                   "inline constexpr std::array<double, 96> FittedChordEvidenceInMajor = " + evidenceRow(table[0])
                       + ";\ninline constexpr std::array<double, 96> FittedChordEvidenceInMinor = " + evidenceRow(table[1])
                       + ";\n");
}

std::string calibrationHeader(const Calibration &c, const std::vector<CalibrationSample> &samples)
{
    std::map<std::string, int> sets;
    for (const CalibrationSample &s : samples)
        ++sets[s.set == "wir" ? "wir art songs" : s.set];
    return guarded(WrittenBy + ("// from the shared corpus (" + setCounts(sets) + "): logistic regression of\n")
                       + "// the first candidate being the labelled key on the log odds of its share of the note\n"
                         "// time, the analysis at its defaults with the fitted tables in force. Cross-validated\n"
                         "// reliability in docs/PROFILE-ANALYSIS.md.\n",
                   "TUNEDECK_CORE_PROFILE_FITTEDCALIBRATION_H",
                   "namespace tunedeck::profile {\n\n"
                   "inline constexpr double FittedCalibrationIntercept = " + fixed(c.intercept, CalibrationDecimals)
                       + ";\ninline constexpr double FittedCalibrationSlope = " + fixed(c.slope, CalibrationDecimals)
                       + ";\n");
}

std::string localCalibrationHeader(const Calibration &c, const std::vector<CorpusFile> &files,
                                   const std::vector<WindowSample> &samples)
{
    std::map<std::string, int> sets;
    std::size_t last = SIZE_MAX;
    for (const WindowSample &s : samples)
        if (s.file != last) {
            last = s.file;
            const CorpusFile &f = files[s.file];
            ++sets[f.kind == Kind::Song ? "wir songs" : f.kind == Kind::Textbook ? "wir textbook examples" : f.set];
        }
    return guarded(WrittenBy + ("// from the shared corpus (" + setCounts(sets) + ", " + std::to_string(samples.size())
                                + " windows):\n")
                       + "// weighted logistic regression of each window's local key being the key annotated there\n"
                         "// (the chorales' one key) on the log odds of its probability given the piece; every\n"
                         "// window weighs its note time, every file of a set and every set alike; the analysis at its\n"
                         "// defaults with the fitted tables in force. Reliability in docs/PROFILE-ANALYSIS.md.\n",
                   "TUNEDECK_CORE_PROFILE_FITTEDLOCALCALIBRATION_H",
                   "namespace tunedeck::profile {\n\n"
                   "inline constexpr double FittedLocalCalibrationIntercept = " + fixed(c.intercept, CalibrationDecimals)
                       + ";\ninline constexpr double FittedLocalCalibrationSlope = " + fixed(c.slope, CalibrationDecimals)
                       + ";\n");
}

template <std::size_t N>
std::array<double, N> written(std::array<double, N> values, int decimals)
{
    for (double &v : values)
        v = asWritten(v, decimals);
    return values;
}

ProfileWeights written(const ProfileWeights &w)
{
    return {written(w.major, ProfileDecimals), written(w.minor, ProfileDecimals)};
}

ProfileWeights fittedProfile(const std::vector<CorpusFile> &files)
{
    std::vector<std::array<double, 12>> durations;
    for (const CorpusFile &f : files)
        durations.push_back(fileDurations(f));
    return fitProfile(files, durations);
}

} // namespace

std::span<const Table> allTables()
{
    return Tables;
}

const char *tableName(Table table)
{
    return Names[std::size_t(table)];
}

std::optional<Table> tableByName(std::string_view name)
{
    for (Table t : Tables)
        if (name == tableName(t))
            return t;
    return std::nullopt;
}

ProfileWeights profileAsWritten(const std::vector<CorpusFile> &files)
{
    return written(fittedProfile(files));
}

harmony::KeyChordTable chordEvidenceAsWritten(const std::vector<CorpusFile> &files, const TableFit &fit)
{
    harmony::KeyChordTable evidence = fitChordEvidence(files, std::vector<bool>(files.size(), true), ChordFinding{},
                                                       fit.chordPrior, AnalysisOptions{}.windowQuarters);
    for (auto &mode : evidence)
        for (std::size_t i = 0; i < WindowClassCount; ++i) {
            double &v = mode[std::size_t(windowClass(i))];
            v = std::log(asWritten(std::exp(v), ChordDecimals));
        }
    return evidence;
}

std::vector<tools::FittedHeader> fitTables(const std::vector<CorpusFile> &files, std::span<const Table> tables,
                                           const TableFit &fit)
{
    const auto wanted = [&](Table t) { return std::find(tables.begin(), tables.end(), t) != tables.end(); };
    const std::vector<bool> all(files.size(), true);
    const AnalysisOptions defaults;
    std::vector<tools::FittedHeader> headers;
    // Each table below is put in force for the ones after it, as its header gives it.
    AnalysisOptions inForce = defaults;
    const ProfileWeights profile = fittedProfile(files);
    inForce.weights = written(profile);
    if (wanted(Table::Profile))
        headers.push_back({Files[0], profileHeader(profile, files)});

    const ChangeWeights changes = fitChanges(files, all, fit.changePrior);
    inForce.local.changes = ChangeWeights{written(changes[0], ChangeDecimals), written(changes[1], ChangeDecimals)};
    if (wanted(Table::Changes))
        headers.push_back({Files[1], changesHeader(changes, files, fit.changePrior)});

    ChordEvidenceCounts counted;
    const harmony::KeyChordTable evidence =
        fitChordEvidence(files, all, ChordFinding{}, fit.chordPrior, defaults.windowQuarters, &counted);
    inForce.local.chordEvidence = chordEvidenceAsWritten(files, fit);
    if (wanted(Table::ChordEvidence))
        headers.push_back({Files[2], evidenceHeader(evidence, counted, fit.chordPrior, defaults.windowQuarters)});

    if (wanted(Table::Calibration)) {
        const std::vector<CalibrationSample> samples = calibrationSamples(files, inForce);
        const Calibration c = fitCalibration(samples, std::vector<bool>(samples.size(), true));
        headers.push_back({Files[3], calibrationHeader(c, samples)});
    }
    if (wanted(Table::LocalCalibration)) {
        std::vector<ProfileAnalysis> analyses;
        for (const CorpusFile &f : files)
            analyses.push_back(analyseProfile(f.events, f.ticksPerQuarter, 0, inForce));
        const std::vector<WindowSample> samples = windowSamples(files, analyses);
        const Calibration c = fitWindowCalibration(samples, std::vector<bool>(samples.size(), true));
        headers.push_back({Files[4], localCalibrationHeader(c, files, samples)});
    }
    return headers;
}

} // namespace tunedeck::keyscore
