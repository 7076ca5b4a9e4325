// The score's XML parsed with its hostile shapes refused, and its parts found in score order
// with what the part list says of their instruments.
#ifndef TUNEDECK_CORE_SCORE_SCOREDOCUMENT_H
#define TUNEDECK_CORE_SCORE_SCOREDOCUMENT_H

#include "core/score/partreader.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <vector>

namespace tunedeck::score {

inline constexpr int MaxDepth = 64;   // elements within elements; a score needs about 10
inline constexpr std::size_t MaxParts = 1024;

struct PartSource {
    pugi::xml_node node; // the <part>
    std::string id;
    std::string name;
    Instruments instruments;
};

// The parsed score and the text it was parsed in place from, which its nodes point into.
struct ScoreDocument {
    std::string text;
    std::unique_ptr<pugi::xml_document> document = std::make_unique<pugi::xml_document>();
};

// Parses MusicXML text; throws ScoreError when it is not well-formed, declares entities,
// nests deeper than MaxDepth, or is no partwise score. `keep` adds pugixml's parse flags for
// what a score written back keeps (its declaration, comments, processing instructions).
ScoreDocument parseScore(std::string text, unsigned keep = 0);

// The work's and the movement's titles ("5 Lieder, Op.10 - Bergeslust", one when the other is
// missing or the same) and the composer, as the identification names them; empty when not.
struct Titles {
    std::string title;
    std::string composer;
};
Titles titlesOf(const pugi::xml_document &document);

// The parts in the order the part list gives them, then any it leaves out in file order.
std::vector<PartSource> partsOf(const pugi::xml_document &document);

} // namespace tunedeck::score

#endif
