// The score reader: MusicXML (partwise .musicxml or .xml, compressed .mxl) read into a Score,
// refused in plain words when it cannot be, and bounded in memory and time on any input.
#ifndef TUNEDECK_CORE_SCORE_SCOREREADER_H
#define TUNEDECK_CORE_SCORE_SCOREREADER_H

#include "core/base/failure.h"
#include "core/score/score.h"
#include "core/score/scorefile.h"

#include <string_view>

namespace tunedeck::score {

struct ReadOptions {
    // Repeat barlines and endings played as they say; off, every measure once as written.
    bool unfoldRepeats = false;
    // Score::placed kept, for writing the analysis into the score.
    bool keepPlaces = false;
};

Result<Score> readScore(std::string_view bytes, const ReadOptions &options);

} // namespace tunedeck::score

#endif
