#include "core/score/scoredocument.h"

#include "core/score/scoreerror.h"

#include <cstring>
#include <map>
#include <string_view>

namespace tunedeck::score {

namespace {

// Finds a node deeper than MaxDepth with pugixml's own walk, which has no recursion. A text
// held in its element (parse_embed_pcdata) counts as the level below it, as a text node would.
// It stops rather than throws: the walk is in a library that may not pass exceptions on.
class DepthCheck : public pugi::xml_tree_walker {
public:
    bool tooDeep = false;

    bool for_each(pugi::xml_node &node) override
    {
        const int level = depth() + 1; // the document's children are level 1
        tooDeep = level > MaxDepth || (level == MaxDepth && node.type() == pugi::node_element && *node.value());
        return !tooDeep;
    }
};

Instruments instrumentsOf(const pugi::xml_node &scorePart)
{
    Instruments out;
    for (pugi::xml_node midi : scorePart.children("midi-instrument")) {
        const int program = midi.child("midi-program").text().as_int(0);
        if (!out.program && program >= 1 && program <= 128)
            out.program = program - 1;
        if (midi.child("midi-channel").text().as_int(0) == 10)
            out.drums = true;
        const int unpitched = midi.child("midi-unpitched").text().as_int(0);
        if (unpitched >= 1 && unpitched <= 128)
            out.unpitched[midi.attribute("id").as_string()] = unpitched - 1;
    }
    return out;
}

} // namespace

ScoreDocument parseScore(std::string text, unsigned keep)
{
    ScoreDocument out{std::move(text)};
    pugi::xml_document *document = out.document.get();
    // pugixml expands no entities but the five predefined ones and character references; a
    // DOCTYPE is kept only to be looked at. An element's text is held in the element itself,
    // which halves the nodes a score makes; the text is parsed where it lies, without a copy.
    const pugi::xml_parse_result parsed = document->load_buffer_inplace(
        out.text.data(), out.text.size(), pugi::parse_default | pugi::parse_doctype | pugi::parse_embed_pcdata | keep);
    if (!parsed)
        throw ScoreError(std::string("it is not well-formed XML (") + parsed.description() + " at byte "
                         + std::to_string(parsed.offset) + ")");
    for (pugi::xml_node node : document->children())
        if (node.type() == pugi::node_doctype && std::strstr(node.value(), "<!ENTITY"))
            throw ScoreError("it declares entities in its DOCTYPE, which are not read");
    DepthCheck depth;
    document->traverse(depth);
    if (depth.tooDeep)
        throw ScoreError("its elements nest deeper than " + std::to_string(MaxDepth) + " levels");
    const std::string_view root = document->document_element().name();
    if (root == "score-timewise")
        throw ScoreError("it is a timewise score; only partwise MusicXML is read");
    if (root != "score-partwise")
        throw ScoreError("it is no MusicXML score (its first element is <" + std::string(root) + ">)");
    return out;
}

Titles titlesOf(const pugi::xml_document &document)
{
    const pugi::xml_node root = document.document_element();
    const std::string work = root.child("work").child("work-title").text().as_string();
    const std::string movement = root.child("movement-title").text().as_string();
    Titles out;
    out.title = work.empty() || work == movement ? movement : movement.empty() ? work : work + " - " + movement;
    for (pugi::xml_node creator : root.child("identification").children("creator"))
        if (std::string_view(creator.attribute("type").as_string()) == "composer") {
            out.composer = creator.text().as_string();
            break;
        }
    return out;
}

std::vector<PartSource> partsOf(const pugi::xml_document &document)
{
    const pugi::xml_node root = document.document_element();
    std::vector<PartSource> out;
    std::map<std::string, std::size_t> listed;
    for (pugi::xml_node scorePart : root.child("part-list").children("score-part")) {
        PartSource part;
        part.id = scorePart.attribute("id").as_string();
        part.name = scorePart.child("part-name").text().as_string();
        part.instruments = instrumentsOf(scorePart);
        if (listed.emplace(part.id, out.size()).second)
            out.push_back(std::move(part));
    }
    std::vector<PartSource> unlisted;
    for (pugi::xml_node node : root.children("part")) {
        const auto at = listed.find(node.attribute("id").as_string());
        if (at != listed.end() && !out[at->second].node)
            out[at->second].node = node;
        else
            unlisted.push_back({node, node.attribute("id").as_string(), {}, {}});
    }
    std::erase_if(out, [](const PartSource &p) { return !p.node; });
    out.insert(out.end(), unlisted.begin(), unlisted.end());
    if (out.empty())
        throw ScoreError("it has no parts");
    if (out.size() > MaxParts)
        throw ScoreError("it has more than " + std::to_string(MaxParts) + " parts");
    return out;
}

} // namespace tunedeck::score
