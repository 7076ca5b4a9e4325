// What tunedeck-chordscore prints and writes: the measures per set (files weighted equally),
// the confidences' reliability, the speed, each file's figures and the estimated segments.
#ifndef TUNEDECK_CHORDSCORE_CHORDREPORT_H
#define TUNEDECK_CHORDSCORE_CHORDREPORT_H

#include "chordscore/chordrun.h"

#include <ostream>
#include <string>
#include <vector>

namespace tunedeck::chordscore {

struct SetSummary {
    std::string name;  // a set, or "  genre" within the set before it
    int files = 0;
    std::array<double, AllMeasures.size()> accuracy{}; // means over the files with time in the gamut
    std::array<int, AllMeasures.size()> counted{};
    double segmentation = 0, overSegmentation = 0, underSegmentation = 0;
    int romanFiles = 0; // files with annotated keys
    double key = 0, roman = 0;
    Reliability reliability;
    QualityCounts qualities;
};

// Per set, in the files' order, each followed by its genres where it has several, then
// its composers where the files' names give them.
std::vector<SetSummary> summarise(const std::vector<ChordFile> &files, const std::vector<FileScore> &scores);

void printSummary(const std::vector<SetSummary> &sets);
void printReliability(const std::vector<SetSummary> &sets);
// Per set, each quality said against annotated, most annotated first.
void printQualities(const std::vector<SetSummary> &sets);
// Milliseconds a file: the library's run and the profile analysis (the fast run without the
// chords), and the chord analysis.
void printSpeed(const std::vector<ChordFile> &files, const std::vector<FileRun> &runs,
                const std::vector<double> &libraryMs);

// Where the chords' bars fall, per set with a beats.tsv beside its chords (songs weighted
// equally): recall and precision of beat 1 on the annotated downbeats, and the whole beats.
void printBars(const std::vector<ChordFile> &files, const std::vector<FileRun> &runs);

// Each scored file's figures, tab-separated with a header; "-" where a measure has no time.
void writePerFile(std::ostream &out, const std::vector<ChordFile> &files, const std::vector<FileRun> &runs,
                  const std::vector<FileScore> &scores);
// Every estimated segment with chords.tsv's columns: file, start_tick, end_tick, label, roman, keycode.
void writeDump(std::ostream &out, const std::vector<ChordFile> &files, const std::vector<FileRun> &runs);

} // namespace tunedeck::chordscore

#endif
