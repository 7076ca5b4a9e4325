#include "core/score/scorereader.h"

#include "core/score/layout.h"
#include "core/score/scoredocument.h"
#include "core/score/scoreerror.h"

#include <algorithm>
#include <new>

namespace tunedeck::score {

namespace {

Score read(std::string_view bytes, const ReadOptions &options)
{
    const std::unique_ptr<pugi::xml_document> document = parseScore(scoreText(bytes));
    std::vector<ReadPart> parts;
    for (const PartSource &source : partsOf(*document)) {
        ReadPart part;
        part.id = source.id;
        part.name = source.name;
        part.program = source.instruments.program.value_or(0);
        try {
            part.measures = readPart(source.node, source.instruments);
        } catch (const ScoreError &e) {
            throw ScoreError("part " + source.id + ", " + e.what());
        }
        part.drums = source.instruments.drums || std::any_of(part.measures.begin(), part.measures.end(),
                                                             [](const ReadMeasure &m) { return m.unpitched; });
        parts.push_back(std::move(part));
    }
    if (std::all_of(parts.begin(), parts.end(), [](const ReadPart &p) { return p.measures.empty(); }))
        throw ScoreError("it has no measures");
    Score score = layOut(parts, options.unfoldRepeats);
    Titles titles = titlesOf(*document);
    score.title = std::move(titles.title);
    score.composer = std::move(titles.composer);
    return score;
}

} // namespace

Result<Score> readScore(std::string_view bytes, const ReadOptions &options)
{
    try {
        return read(bytes, options);
    } catch (const ScoreError &e) {
        return failure(e.what());
    } catch (const std::bad_alloc &) {
        return failure("it needs more memory than there is");
    }
}

} // namespace tunedeck::score
