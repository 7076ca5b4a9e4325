#include "core/score/scoreplaces.h"

#include "core/score/layout.h"
#include "core/score/scoredocument.h"
#include "core/score/scorefile.h"

#include <algorithm>
#include <new>
#include <numeric>

namespace tunedeck::score {

namespace {

int stavesOf(const pugi::xml_node &part)
{
    int staves = 1;
    for (pugi::xml_node measure : part.children("measure"))
        for (pugi::xml_node attributes : measure.children("attributes"))
            staves = std::max(staves, std::clamp(attributes.child("staves").text().as_int(1), 1, 100));
    return staves;
}

ScorePlaces read(std::string_view bytes)
{
    ScorePlaces out;
    out.document = parseScore(scoreText(bytes), pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi);
    std::vector<ReadPart> parts;
    std::vector<std::vector<MeasurePlaces>> places;
    for (const PartSource &source : partsOf(*out.document)) {
        ReadPart part;
        try {
            part.measures = readPart(source.node, source.instruments, &places.emplace_back());
        } catch (const ScoreError &e) {
            throw ScoreError("part " + source.id + ", " + e.what());
        }
        parts.push_back(std::move(part));
        out.parts.push_back({source.node, stavesOf(source.node), {}});
    }
    std::size_t count = 0;
    for (const ReadPart &part : parts)
        count = std::max(count, part.measures.size());
    if (count == 0)
        throw ScoreError("it has no measures");
    const std::vector<Fraction> lengths = measureLengths(parts, count);
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t(0));
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const std::vector<Fraction> starts = partStarts(parts[p], order, lengths);
        std::size_t m = 0;
        for (pugi::xml_node measure : out.parts[p].node.children("measure")) {
            out.parts[p].measures.push_back({measure, starts[m], starts[m + 1], std::move(places[p][m])});
            ++m;
        }
    }
    return out;
}

} // namespace

Result<ScorePlaces> scorePlaces(std::string_view bytes)
{
    try {
        return read(bytes);
    } catch (const ScoreError &e) {
        return failure(e.what());
    } catch (const std::bad_alloc &) {
        return failure("it needs more memory than there is");
    }
}

} // namespace tunedeck::score
