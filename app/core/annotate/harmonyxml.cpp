#include "core/annotate/harmonyxml.h"

#include <cstdio>
#include <cstring>

namespace tunedeck::annotate {

namespace {

using score::Fraction;

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
    case Quality::Power: return "power";
    }
    return "major";
}

std::string escaped(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// <name attributes>text</name>, appended piece by piece.
std::string tagged(std::string_view name, std::string_view attributes, std::string_view text)
{
    std::string out;
    out.append(1, '<').append(name).append(attributes).append(1, '>').append(text);
    out.append("</").append(name).append(1, '>');
    return out;
}

std::string element(std::string_view name, std::string_view text)
{
    return tagged(name, {}, escaped(text));
}

std::string alterElement(std::string_view name, int alter, bool printed = true)
{
    if (alter == 0)
        return {};
    return tagged(name, printed ? "" : " print-object=\"no\"", std::to_string(alter));
}

// A length in divisions as MusicXML's decimals write it: whole where it is, else to a
// millionth (a triplet's place need not end).
std::string divisionsText(Fraction quarters, Fraction perDivision)
{
    const Fraction divisions = quarters / perDivision;
    if (divisions.den() == 1)
        return std::to_string(divisions.num());
    char text[40];
    std::snprintf(text, sizeof text, "%.6f", divisions.toDouble());
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out;
}

std::string placing(const Spot &spot, int staff)
{
    std::string out;
    if (spot.after > Fraction{})
        out += element("offset", divisionsText(spot.after, spot.perDivision));
    if (staff > 1)
        out += element("staff", std::to_string(staff));
    return out;
}

std::string step(const SpelledPitch &pitch)
{
    return std::string(1, pitch.step);
}

} // namespace

std::string chordSymbolXml(const HarmonyMark &m, const Spot &spot)
{
    std::string out = "<harmony placement=\"above\"><root>" + element("root-step", step(m.root))
                      + alterElement("root-alter", m.root.alter) + "</root><kind text=\""
                      + escaped(harmony::symbolSuffix(m.chord.quality)) + "\">" + kindName(m.chord.quality) + "</kind>";
    if (m.chord.bass != 0)
        out += "<bass>" + element("bass-step", step(m.bass)) + alterElement("bass-alter", m.bass.alter) + "</bass>";
    return out + placing(spot, 1) + "</harmony>";
}

std::string romanNumeralXml(const HarmonyMark &m, const Spot &spot, int staff)
{
    std::string out = "<harmony placement=\"below\">";
    for (std::size_t i = 0; i < m.numerals.size(); ++i) {
        const NumeralDegree &n = m.numerals[i];
        out += "<numeral><numeral-root text=\"" + escaped(n.text) + "\">" + std::to_string(n.degree) + "</numeral-root>"
               + alterElement("numeral-alter", n.alter, n.alterPrinted);
        if (i + 1 == m.numerals.size()) // an applied chord's key is the degree it leads to
            out += "<numeral-key>" + element("numeral-fifths", std::to_string(m.key.fifths))
                   + element("numeral-mode", m.key.minor ? "minor" : "major") + "</numeral-key>";
        out += std::string("</numeral><kind text=\"\">") + (i == 0 ? kindName(m.chord.quality) : n.lower ? "minor" : "major")
               + "</kind>";
        if (i == 0 && m.inversion > 0)
            out += element("inversion", std::to_string(m.inversion));
    }
    return out + placing(spot, staff) + "</harmony>";
}

std::string keyNameXml(const HarmonyMark &m, const Spot &spot, int staff)
{
    return "<direction placement=\"below\"><direction-type>" + element("words", m.key.name + ":") + "</direction-type>"
           + placing(spot, staff) + "</direction>";
}

VersionEdit versionEdit(std::string_view text, std::size_t root)
{
    constexpr std::string_view name = "score-partwise";
    const std::size_t afterName = root + 1 + name.size();
    char quote = 0;
    std::size_t valueFrom = 0;
    for (std::size_t i = afterName; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) {
                if (valueFrom)
                    return {valueFrom, i, "4.0"};
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>' || c == '/') {
            break;
        } else if (text.substr(i, 7) == "version" && (text[i - 1] == ' ' || text[i - 1] == '\t' || text[i - 1] == '\n'
                                                       || text[i - 1] == '\r')) {
            const std::size_t open = text.find_first_of("\"'", i);
            if (open == std::string_view::npos)
                break;
            valueFrom = open + 1;
            quote = text[open];
            i = open;
        }
    }
    return {afterName, afterName, " version=\"4.0\""};
}

} // namespace tunedeck::annotate
