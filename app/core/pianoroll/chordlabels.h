// Which chords the lane names when not all names fit: a label starts where its chord starts and
// may run on over the chords after it, so the whole piece shows names too; labels never
// overlap. Plain C++: the widths come measured from whoever draws.
#ifndef TUNEDECK_CORE_PIANOROLL_CHORDLABELS_H
#define TUNEDECK_CORE_PIANOROLL_CHORDLABELS_H

#include "core/pianoroll/pianorolldata.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tunedeck {

// One chord's label: where it would start, how much the chord counts when labels compete,
// and the widths of its forms, the preferred (the longest) first. No forms: no label.
struct LabelSpot {
    double left = 0;
    double weight = 0;
    std::vector<double> forms;
};

// For each spot, the form drawn (an index into its forms) or none. The weightiest chords are
// named first, each in its shortest form, so as many chords as fit are named; then, weightiest
// first, each takes the longest form that still fits. A label ends by laneRight and keeps gap
// from the next.
std::vector<std::optional<std::size_t>> chooseLabels(std::span<const LabelSpot> spots, double laneRight, double gap);

// How much a chord counts: the longer and the surer, the more.
double labelWeight(const RollChord &chord);

// The names the lane may write of a chord: its symbol, the symbol without its bass (empty
// where that is the same), and its Roman numeral in its key.
struct RollChordNames {
    std::string symbol, withoutBass, numeral;
};
RollChordNames rollChordNames(const RollChord &chord);

} // namespace tunedeck

#endif
