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

// Throws ScoreError for a score longer than a MIDI file can count in ticks.
Score layOut(const std::vector<ReadPart> &parts, bool unfoldRepeats);

} // namespace tunedeck::score

#endif
