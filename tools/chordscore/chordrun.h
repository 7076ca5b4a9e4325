// The chord analysis run on the corpus as the fast run calls it, with grouped
// cross-validation around whatever part of it is fitted, and each file's scores.
#ifndef TUNEDECK_CHORDSCORE_CHORDRUN_H
#define TUNEDECK_CHORDSCORE_CHORDRUN_H

#include "chordscore/chordcorpus.h"
#include "chordscore/romannumerals.h"

#include "core/chords/chordanalysis.h"
#include "core/profile/profileanalysis.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::chordscore {

// What a file's chords are found with.
struct ChordModel {
    profile::AnalysisOptions keys; // the profile analysis whose local keys the chords are read in
    chords::ChordOptions chords;   // the fast run's, unless a fit hands back its own
    std::shared_ptr<const chords::ChordWeights> weights; // what chords.weights points at, when fitted
    std::shared_ptr<const harmony::KeyChordTable> keyPrior; // and chords.keyPrior
    bool musicBars = true; // the chords' bars the notes show, as the fast run's default; else 4/4 from tick 0
    chords::BarWeights bars;
};

// The hook of a fit: the model for a fold, from that fold's training files only (other
// folds' files, and the sets given to fit on alone).
using ChordFit = std::function<ChordModel(const std::vector<const ChordFile *> &training)>;

// Nothing fitted: the fast run's analysis.
ChordModel firstCut(const std::vector<const ChordFile *> &training);

struct FileRun {
    std::vector<chords::ChordSegment> segments;
    int fold = 0;
    double profileMs = 0, chordMs = 0; // the profile analysis, then the chord analysis
};

// The profile analysis of the file's events in its bars (the music's, or 4/4 from tick 0),
// then the chords in its keys at the first tempo, as the fast run calls them.
// With inputs, what each segment's confidence was read from.
FileRun analyseFile(const keyscore::CorpusFile &file, const ChordModel &model,
                    std::vector<chords::ConfidenceInputs> *inputs = nullptr);

// Every scored file analysed with the model fitted on the folds it is not in (files grouped
// as the key corpus groups them, so versions of one piece share a fold); with fewer than two
// folds, one model fitted on every file. Files only fitted on get an empty run.
std::vector<FileRun> crossValidate(const std::vector<ChordFile> &files, int folds, const ChordFit &fit);

// Every scored file analysed with one model fitted on the files only fitted on.
std::vector<FileRun> heldOut(const std::vector<ChordFile> &files, const ChordFit &fit);

// The segments as chords.tsv's rows: Harte label and Roman numeral in the segment's key.
std::vector<ChordRow> estimateRows(const std::vector<chords::ChordSegment> &segments);

// Time by the confidence shown, in tenths, and how much of it the chord shown is the
// annotated one (root, tones and bass); in quarter notes.
struct Reliability {
    struct Bin {
        double quarters = 0, confidence = 0, right = 0; // confidence and right: sums times quarters
    };
    std::array<Bin, 10> bins;
    Reliability &operator+=(const Reliability &other);
    // The bins' |mean confidence - share right|, weighted by their time.
    double calibrationError() const;
};

// How many chords of each quality (Harte's: "maj", "sus2", "(1,5)", "N" for no chord) the
// analysis said (segments) and the annotation has (rows): [0] said, [1] annotated.
using QualityCounts = std::map<std::string, std::array<int, 2>>;
std::string harteQualityOf(std::string_view label); // "G:maj7/3" -> "maj7", "G" -> "maj"
QualityCounts &operator+=(QualityCounts &counts, const QualityCounts &other);

struct FileScore {
    std::optional<FileMeasures> chords; // nothing when the annotation cannot be read
    RomanMeasures romans;
    Reliability reliability;
    QualityCounts qualities;
};
FileScore scoreFile(const ChordFile &file, const std::vector<ChordRow> &estimate);

// Milliseconds a file of the library's fast run alone (the fast run without its profile
// analysis), one run of each file's path with the engine linked in.
std::vector<double> libraryRunMs(const std::vector<ChordFile> &files);

} // namespace tunedeck::chordscore

#endif
