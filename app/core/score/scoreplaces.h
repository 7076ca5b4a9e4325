// Where the elements of a score's measures stand, by their place in its text and on the
// time line as the reader counts them, so that what is written into the score lands where
// the read notes are and the rest of the text stays as it was.
#ifndef TUNEDECK_CORE_SCORE_SCOREPLACES_H
#define TUNEDECK_CORE_SCORE_SCOREPLACES_H

#include "core/base/failure.h"
#include "core/score/layout.h"
#include "core/score/partreader.h"

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::score {

struct ElementAt {
    std::size_t offset = 0; // its '<' in the text
    Fraction at;            // the cursor before it, quarters from the measure's start
    Fraction perDivision{1};
    bool startsNote = false; // a note that takes its own time: not a chord's later note, not a grace note
    bool chordNote = false;  // a chord's later note
    bool grace = false;
    int staff = 1;
};

struct MeasureAt {
    std::size_t inside = std::string::npos; // just after its start tag; npos for an empty <measure/>
    Fraction start; // quarters from the score's start, as the part counts its measures
    std::vector<ElementAt> elements;
};

struct PartAt {
    int staves = 1; // the most its <staves> say
    std::vector<MeasureAt> measures;
};

struct PlacedScore {
    std::string text;     // UTF-8, as read (an .mxl's root file unpacked)
    std::size_t root = 0; // the '<' of <score-partwise>
    PartAt first, last;   // the first and last parts in the reader's order (one part: both)
};

// A part's places from what the reader logged of it, where its measures start, and its text.
PartAt partAt(const pugi::xml_node &part, const std::vector<MeasurePlaces> &places, const std::vector<Fraction> &starts,
              std::string_view text);

// The first and last parts placed as the reader counts their measures (repeats as written),
// from the parts read and the reader's log of those two; throws ScoreError.
void placeParts(PlacedScore &out, const pugi::xml_node &firstPart, const pugi::xml_node &lastPart,
                const std::vector<ReadPart> &parts, const std::vector<MeasurePlaces> &first,
                const std::vector<MeasurePlaces> &last, std::string_view text);

// Whether pugixml reads the text as UTF-8, so that its nodes' offsets are the text's.
bool readAsUtf8(std::string_view text);

// The score's bytes (.musicxml, .xml or .mxl) read again for its places, with repeats as
// written; other encodings than UTF-8 are written as UTF-8 first. Refused in the reader's words.
Result<PlacedScore> placedScore(std::string_view bytes);

} // namespace tunedeck::score

#endif
