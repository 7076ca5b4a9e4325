// Where the chords' bars fall against the annotated downbeats (a set's beats.tsv): whether a
// chord the music changes to on a downbeat is shown at beat 1, whether a chord shown at beat 1
// is on a downbeat, and whether the chords' beats are whole.
#ifndef TUNEDECK_CHORDSCORE_BARMEASURES_H
#define TUNEDECK_CHORDSCORE_BARMEASURES_H

#include "chordscore/chordcorpus.h"
#include "chordscore/chordmeasures.h"

#include "core/chords/chordanalysis.h"

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tunedeck::chordscore {

// A set's beats.tsv: each file's downbeats, in ticks, ascending. Empty where it has none.
std::map<std::string, std::vector<std::int64_t>> loadDownbeats(const std::filesystem::path &file);

struct BarMeasures {
    std::optional<double> recall;    // of the annotated changes on a downbeat, those shown at beat 1
    std::optional<double> precision; // of the chords shown at beat 1, those on a downbeat
    std::optional<double> onBeat;    // of the chords shown, those on a whole beat
};

// One file's, an eighth of a quarter either way counting as on the downbeat. The reference's
// rows in time order; a row repeating the chord before it is no change, nor is "N".
BarMeasures measureBars(const std::vector<ChordRow> &reference, const std::vector<chords::ChordSegment> &segments,
                        const std::vector<std::int64_t> &downbeats, int ticksPerQuarter);

// Every beat's evidence of a downbeat (barevidence.h) in each file with annotated downbeats, a
// row a beat: set, file, group, beat, tick, whether a downbeat lies on it, whether a bar starts
// on it as the music's bars are found, the evidence.
void writeBarFeatures(std::ostream &out, const std::vector<ChordFile> &files);

// Means over files: each measure over the files that have it.
struct BarSummary {
    int files = 0;
    std::array<double, 3> sum{};
    std::array<int, 3> counted{};
    void add(const BarMeasures &m);
    std::optional<double> mean(std::size_t k) const;
};

} // namespace tunedeck::chordscore

#endif
