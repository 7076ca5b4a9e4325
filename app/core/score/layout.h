// The parts' measures laid out on one time line in ticks: each measure as long as its
// longest part, repeats as written or unfolded, ties merged.
#ifndef TUNEDECK_CORE_SCORE_LAYOUT_H
#define TUNEDECK_CORE_SCORE_LAYOUT_H

#include "core/score/partreader.h"
#include "core/score/score.h"

#include <string>
#include <vector>

namespace tunedeck::score {

struct ReadPart {
    std::string id;
    std::string name;
    int program = 0;
    bool drums = false;
    std::vector<ReadMeasure> measures;
};

// The length most parts give each of `count` measures; one all leave empty, its meter's.
std::vector<Fraction> measureLengths(const std::vector<ReadPart> &parts, std::size_t count);

// Where each measure of `order` starts for the part, as its player counts, and after them
// where the part ends. Throws ScoreError past what a MIDI file counts.
std::vector<Fraction> partStarts(const ReadPart &part, const std::vector<std::size_t> &order,
                                 const std::vector<Fraction> &lengths);

// Throws ScoreError for a score longer than a MIDI file can count in ticks.
Score layOut(const std::vector<ReadPart> &parts, bool unfoldRepeats);

} // namespace tunedeck::score

#endif
