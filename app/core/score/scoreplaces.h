// A score's document kept with where each element of each measure stands on the time line,
// as the reader counts it, so that what is written into the score lands where the read
// notes are.
#ifndef TUNEDECK_CORE_SCORE_SCOREPLACES_H
#define TUNEDECK_CORE_SCORE_SCOREPLACES_H

#include "core/base/failure.h"
#include "core/score/partreader.h"

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tunedeck::score {

struct MeasureOnLine {
    pugi::xml_node node;   // the <measure>
    Fraction start;        // quarters from the score's start, as the part counts its measures
    Fraction end;
    MeasurePlaces elements; // in document order
};

struct PartOnLine {
    pugi::xml_node node; // the <part>
    int staves = 1;      // the most its <staves> say
    std::vector<MeasureOnLine> measures;
};

struct ScorePlaces {
    std::unique_ptr<pugi::xml_document> document; // declaration, comments and instructions kept
    std::vector<PartOnLine> parts;                // in the reader's order (the part list's)
};

// The score's bytes (.musicxml, .xml or .mxl) read as readScore reads them with repeats as
// written, refused with its words.
Result<ScorePlaces> scorePlaces(std::string_view bytes);

} // namespace tunedeck::score

#endif
