#include "core/score/scorereader.h"

#include "core/score/layout.h"
#include "core/score/scoredocument.h"
#include "core/score/scoreerror.h"
#include "core/score/scoreplaces.h"

#include <algorithm>
#include <new>

namespace tunedeck::score {

namespace {

Score read(std::string_view bytes, const ReadOptions &options)
{
    std::string text = scoreText(bytes);
    const bool keep = options.keepPlaces && !options.unfoldRepeats && readAsUtf8(text);
    // Parsing in place writes into its text: the places are found in a copy as read.
    std::string original = keep ? text : std::string();
    const ScoreDocument document = parseScore(std::move(text));
    std::vector<ReadPart> parts;
    const std::vector<PartSource> sources = partsOf(*document.document);
    std::vector<MeasurePlaces> first, last; // logged only where kept
    for (const PartSource &source : sources) {
        ReadPart part;
        part.id = source.id;
        part.name = source.name;
        part.program = source.instruments.program.value_or(0);
        std::vector<MeasurePlaces> *log = !keep                      ? nullptr
                                          : parts.empty()            ? &first
                                          : &source == &sources.back() ? &last
                                                                     : nullptr;
        try {
            part.measures = readPart(source.node, source.instruments, log);
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
    if (keep) {
        auto placed = std::make_shared<PlacedScore>();
        placeParts(*placed, sources.front().node, sources.back().node, parts, first, sources.size() > 1 ? last : first,
                   original);
        placed->text = std::move(original);
        score.placed = std::move(placed);
    }
    Titles titles = titlesOf(*document.document);
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
