#include "core/annotate/annotatedscore.h"

#include "core/score/scorefile.h"
#include "core/score/scoreplaces.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace tunedeck::annotate {

namespace {

using score::ElementPlace;
using score::Fraction;
using score::MeasureOnLine;
using score::PartOnLine;

const char *kindName(harmony::Quality q)
{
    using harmony::Quality;
    switch (q) {
    case Quality::Major: return "major";
    case Quality::Minor: return "minor";
    case Quality::Diminished: return "diminished";
    case Quality::Augmented: return "augmented";
    case Quality::Dominant7: return "dominant";
    case Quality::Major7: return "major-seventh";
    case Quality::Minor7: return "minor-seventh";
    case Quality::HalfDiminished7: return "half-diminished";
    case Quality::Diminished7: return "diminished-seventh";
    case Quality::Sus4: return "suspended-fourth";
    case Quality::Sus2: return "suspended-second";
    case Quality::Major6: return "major-sixth";
    case Quality::Minor6: return "minor-sixth";
    }
    return "major";
}

// A length in divisions as MusicXML's decimals write it: whole where it is, else to a
// millionth (a tuplet's place need not end).
std::string divisionsText(Fraction quarters, Fraction perDivision)
{
    const Fraction divisions = quarters / perDivision;
    if (divisions.den() == 1)
        return std::to_string(divisions.num());
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", divisions.toDouble());
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out;
}

void addText(pugi::xml_node parent, const char *name, const std::string &text)
{
    parent.append_child(name).text().set(text.c_str());
}

void addAlter(pugi::xml_node parent, const char *name, int alter, bool printed = true)
{
    if (alter == 0)
        return;
    pugi::xml_node node = parent.append_child(name);
    node.text().set(alter);
    if (!printed)
        node.append_attribute("print-object") = "no";
}

// Where a mark goes in a part: before the note that starts at its place on the staff (else
// on any staff), or with an offset from the last place before it.
struct Spot {
    pugi::xml_node before; // empty: at the measure's end
    pugi::xml_node measure;
    Fraction offset;
    Fraction perDivision{1};
};

const MeasureOnLine *measureAt(const PartOnLine &part, Fraction at)
{
    const auto after = std::upper_bound(part.measures.begin(), part.measures.end(), at,
                                        [](Fraction t, const MeasureOnLine &m) { return t < m.start; });
    return after == part.measures.begin() ? nullptr : &*(after - 1);
}

// The grace notes just before a note sound with it: a mark goes before them.
pugi::xml_node withGraces(pugi::xml_node note)
{
    for (pugi::xml_node p = note.previous_sibling(); p && std::strcmp(p.name(), "note") == 0 && p.child("grace");
         p = p.previous_sibling())
        note = p;
    return note;
}

std::optional<Spot> spotFor(const PartOnLine &part, std::int64_t tick, int staff)
{
    const Fraction at{tick, score::TicksPerQuarter};
    const MeasureOnLine *measure = measureAt(part, at);
    if (!measure)
        return std::nullopt;
    const Fraction place = at - measure->start;
    const ElementPlace *onStaff = nullptr, *anyStaff = nullptr, *last = nullptr;
    for (const ElementPlace &e : measure->elements) {
        if (e.startsNote && e.at == place) {
            if (!onStaff && e.staff == staff)
                onStaff = &e;
            if (!anyStaff)
                anyStaff = &e;
        }
        // A chord's later notes follow their first directly; the last place at the latest
        // cursor has the divisions in force.
        const bool chordNote = std::strcmp(e.node.name(), "note") == 0 && e.node.child("chord");
        if (!chordNote && e.at <= place && (!last || e.at >= last->at))
            last = &e;
    }
    if (const ElementPlace *note = onStaff ? onStaff : anyStaff)
        return Spot{withGraces(note->node), measure->node, Fraction{}, note->perDivision};
    if (!last)
        return Spot{{}, measure->node, place, Fraction{1}};
    return Spot{last->node, measure->node, place - last->at, last->perDivision};
}

pugi::xml_node placed(const Spot &spot, const char *name)
{
    pugi::xml_node measure = spot.measure;
    return spot.before ? measure.insert_child_before(name, spot.before) : measure.append_child(name);
}

void finish(pugi::xml_node element, const Spot &spot, int staff)
{
    if (spot.offset > Fraction{})
        addText(element, "offset", divisionsText(spot.offset, spot.perDivision));
    if (staff > 1)
        addText(element, "staff", std::to_string(staff));
}

void chordSymbol(const HarmonyMark &m, const Spot &spot)
{
    pugi::xml_node h = placed(spot, "harmony");
    h.append_attribute("placement") = "above";
    pugi::xml_node root = h.append_child("root");
    addText(root, "root-step", std::string(1, m.root.step));
    addAlter(root, "root-alter", m.root.alter);
    pugi::xml_node kind = h.append_child("kind");
    kind.append_attribute("text") = std::string(harmony::symbolSuffix(m.chord.quality)).c_str();
    kind.text().set(kindName(m.chord.quality));
    if (m.chord.bass != 0) {
        pugi::xml_node bass = h.append_child("bass");
        addText(bass, "bass-step", std::string(1, m.bass.step));
        addAlter(bass, "bass-alter", m.bass.alter);
    }
    finish(h, spot, 1);
}

void keyName(const HarmonyMark &m, const Spot &spot, int staff)
{
    pugi::xml_node d = placed(spot, "direction");
    d.append_attribute("placement") = "below";
    addText(d.append_child("direction-type"), "words", m.key.name + ":");
    finish(d, spot, staff);
}

void romanNumeral(const HarmonyMark &m, const Spot &spot, int staff)
{
    pugi::xml_node h = placed(spot, "harmony");
    h.append_attribute("placement") = "below";
    for (std::size_t i = 0; i < m.numerals.size(); ++i) {
        const NumeralDegree &n = m.numerals[i];
        const bool applied = i + 1 < m.numerals.size(); // leads to the numeral after it
        pugi::xml_node numeral = h.append_child("numeral");
        pugi::xml_node root = numeral.append_child("numeral-root");
        root.append_attribute("text") = n.text.c_str();
        root.text().set(n.degree);
        addAlter(numeral, "numeral-alter", n.alter, n.alterPrinted);
        if (!applied) {
            pugi::xml_node key = numeral.append_child("numeral-key");
            key.append_child("numeral-fifths").text().set(m.key.fifths);
            addText(key, "numeral-mode", m.key.minor ? "minor" : "major");
        }
        pugi::xml_node kind = h.append_child("kind");
        kind.append_attribute("text") = "";
        kind.text().set(i == 0 ? kindName(m.chord.quality) : n.lower ? "minor" : "major");
        if (i == 0 && m.inversion > 0)
            h.append_child("inversion").text().set(m.inversion);
    }
    finish(h, spot, staff);
}

class StringSink : public pugi::xml_writer {
public:
    void write(const void *data, std::size_t size) override { text.append(static_cast<const char *>(data), size); }
    std::string text;
};

std::string saved(pugi::xml_document &document)
{
    pugi::xml_node declaration = document.first_child();
    if (declaration.type() == pugi::node_declaration && declaration.attribute("encoding"))
        declaration.attribute("encoding") = "UTF-8";
    // <numeral> is MusicXML 4.0's.
    pugi::xml_node root = document.document_element();
    if (!root.attribute("version"))
        root.append_attribute("version");
    root.attribute("version") = "4.0";
    StringSink sink;
    document.save(sink, "  ", pugi::format_default, pugi::encoding_utf8);
    return std::move(sink.text);
}

} // namespace

Result<std::string> annotatedScore(std::string_view bytes, const std::vector<HarmonyMark> &marks)
{
    if (!score::looksLikeScore(bytes))
        return failure("it is not a score; the analysis is written into MusicXML scores only");
    Result<score::ScorePlaces> places = score::scorePlaces(bytes);
    if (!places)
        return failure(places.error().reason);
    const PartOnLine &top = places->parts.front();
    const PartOnLine &bottom = places->parts.back();
    for (const HarmonyMark &m : marks) {
        if (const auto spot = spotFor(top, m.tick, 1))
            chordSymbol(m, *spot);
        if (m.numerals.empty())
            continue;
        if (const auto spot = spotFor(bottom, m.tick, bottom.staves)) {
            if (m.keyChanges)
                keyName(m, *spot, bottom.staves);
            romanNumeral(m, *spot, bottom.staves);
        }
    }
    return saved(*places->document);
}

Result<std::string> annotatedScore(std::string_view bytes, const FileAnalysis &analysis,
                                   const AnalysisChoices &choices)
{
    if (choices.unfoldRepeats)
        return failure("the analysis is written into the score as written: run it without unfolding repeats");
    if (choices.fast.adjust.transpose != 0)
        return failure("the analysis is written into the score at its pitch: run it without transposing");
    return annotatedScore(bytes, harmonyMarks(analysis));
}

} // namespace tunedeck::annotate
