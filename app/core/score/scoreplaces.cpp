#include "core/score/scoreplaces.h"

#include "core/score/layout.h"
#include "core/score/scoredocument.h"
#include "core/score/scorefile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <numeric>
#include <sstream>

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

ElementAt elementAt(const ElementPlace &place)
{
    ElementAt e;
    e.offset = std::size_t(std::max<std::ptrdiff_t>(place.node.offset_debug() - 1, 0));
    e.at = place.at;
    e.perDivision = place.perDivision;
    e.startsNote = place.startsNote;
    e.staff = place.staff;
    if (std::strcmp(place.node.name(), "note") == 0) {
        e.grace = bool(place.node.child("grace"));
        e.chordNote = !e.grace && place.node.child("chord");
    }
    return e;
}

// Just after the measure's start tag, found from its name on: a '>' inside a quoted value is no end.
std::size_t inside(const pugi::xml_node &measure, std::string_view text)
{
    if (!measure.first_child())
        return std::string::npos;
    char quote = 0;
    for (std::size_t i = std::size_t(std::max<std::ptrdiff_t>(measure.offset_debug(), 0)); i < text.size(); ++i) {
        if (quote)
            quote = text[i] == quote ? 0 : quote;
        else if (text[i] == '"' || text[i] == '\'')
            quote = text[i];
        else if (text[i] == '>')
            return text[i - 1] == '/' ? std::string::npos : i + 1;
    }
    return std::string::npos;
}

PlacedScore read(std::string text)
{
    if (!readAsUtf8(text)) {
        // Offsets are pugixml's in its own UTF-8: the text written so first.
        const auto other = parseScore(text, pugi::parse_ws_pcdata | pugi::parse_comments | pugi::parse_pi);
        std::ostringstream utf8;
        other.document->save(utf8, "", pugi::format_raw, pugi::encoding_utf8);
        text = std::move(utf8).str();
    }
    const ScoreDocument document = parseScore(text);
    const std::vector<PartSource> sources = partsOf(*document.document);
    std::vector<ReadPart> parts(sources.size());
    std::vector<MeasurePlaces> first, last;
    for (std::size_t p = 0; p < sources.size(); ++p) {
        std::vector<MeasurePlaces> *log = p == 0 ? &first : p + 1 == sources.size() ? &last : nullptr;
        try {
            parts[p].measures = readPart(sources[p].node, sources[p].instruments, log);
        } catch (const ScoreError &e) {
            throw ScoreError("part " + sources[p].id + ", " + e.what());
        }
    }
    PlacedScore out;
    placeParts(out, sources.front().node, sources.back().node, parts, first, sources.size() > 1 ? last : first, text);
    out.text = std::move(text);
    return out;
}

} // namespace

void placeParts(PlacedScore &out, const pugi::xml_node &firstPart, const pugi::xml_node &lastPart,
                const std::vector<ReadPart> &parts, const std::vector<MeasurePlaces> &first,
                const std::vector<MeasurePlaces> &last, std::string_view text)
{
    std::size_t count = 0;
    for (const ReadPart &part : parts)
        count = std::max(count, part.measures.size());
    if (count == 0)
        throw ScoreError("it has no measures");
    const std::vector<Fraction> lengths = measureLengths(parts, count);
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t(0));
    out.root = std::size_t(std::max<std::ptrdiff_t>(firstPart.parent().offset_debug() - 1, 0));
    out.first = partAt(firstPart, first, partStarts(parts.front(), order, lengths), text);
    out.last = partAt(lastPart, last, partStarts(parts.back(), order, lengths), text);
}

PartAt partAt(const pugi::xml_node &part, const std::vector<MeasurePlaces> &places, const std::vector<Fraction> &starts,
              std::string_view text)
{
    PartAt out;
    out.staves = stavesOf(part);
    std::size_t m = 0;
    for (pugi::xml_node measure : part.children("measure")) {
        if (m >= places.size() || m >= starts.size())
            break;
        MeasureAt &at = out.measures.emplace_back();
        at.inside = inside(measure, text);
        at.start = starts[m];
        for (const ElementPlace &place : places[m])
            at.elements.push_back(elementAt(place));
        ++m;
    }
    return out;
}

bool readAsUtf8(std::string_view text)
{
    if (text.size() >= 2 && (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF" || text[0] == '\0'))
        return false;
    if (text.substr(0, 5) != "<?xml")
        return true;
    const std::string_view declaration = text.substr(0, text.find("?>"));
    const std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return true;
    std::string name;
    for (std::size_t i = declaration.find_first_of("\"'", at) + 1; i > 0 && i < declaration.size(); ++i) {
        if (declaration[i] == '"' || declaration[i] == '\'')
            break;
        name += char(std::tolower(static_cast<unsigned char>(declaration[i])));
    }
    return name == "utf-8" || name == "utf8";
}

Result<PlacedScore> placedScore(std::string_view bytes)
{
    try {
        return read(scoreText(bytes));
    } catch (const ScoreError &e) {
        return failure(e.what());
    } catch (const std::bad_alloc &) {
        return failure("it needs more memory than there is");
    }
}

} // namespace tunedeck::score
