#include "core/annotate/annotatedscore.h"

#include "core/annotate/harmonyxml.h"
#include "core/score/scorefile.h"
#include "core/score/scoreplaces.h"

#include <algorithm>
#include <cstring>

namespace tunedeck::annotate {

namespace {

using score::ElementAt;
using score::Fraction;
using score::MeasureAt;
using score::PartAt;

const MeasureAt *measureAt(const PartAt &part, Fraction at)
{
    const auto after = std::upper_bound(part.measures.begin(), part.measures.end(), at,
                                        [](Fraction t, const MeasureAt &m) { return t < m.start; });
    return after == part.measures.begin() ? nullptr : &*(after - 1);
}

// The grace notes just before a note sound with it: a mark goes before them.
std::size_t withGraces(const MeasureAt &measure, std::size_t index)
{
    while (index > 0 && measure.elements[index - 1].grace)
        --index;
    return measure.elements[index].offset;
}

// Where a mark goes in a part: before the note that starts at its place on the staff (else
// on any staff), or with an offset from the last place before it. A chord's later notes
// follow their first directly; of places at one cursor the last has the divisions in force.
std::optional<Spot> spotFor(const PartAt &part, std::int64_t tick, int staff)
{
    const Fraction at{tick, score::TicksPerQuarter};
    const MeasureAt *measure = measureAt(part, at);
    if (!measure)
        return std::nullopt;
    const Fraction place = at - measure->start;
    std::optional<std::size_t> onStaff, anyStaff, last;
    for (std::size_t i = 0; i < measure->elements.size(); ++i) {
        const ElementAt &e = measure->elements[i];
        if (e.startsNote && e.at == place) {
            if (!onStaff && e.staff == staff)
                onStaff = i;
            if (!anyStaff)
                anyStaff = i;
        }
        if (!e.chordNote && e.at <= place && (!last || e.at >= measure->elements[*last].at))
            last = i;
    }
    if (const auto note = onStaff ? onStaff : anyStaff)
        return Spot{withGraces(*measure, *note), Fraction{}, Fraction{1}};
    if (last)
        return Spot{measure->elements[*last].offset, place - measure->elements[*last].at,
                    measure->elements[*last].perDivision};
    if (measure->inside == std::string::npos)
        return std::nullopt; // <measure/>: nothing to write into
    return Spot{measure->inside, place, Fraction{1}};
}

// A line break and the indentation of the line the text at `offset` stands on, so that an
// element put before it gets a line of its own; nothing where it shares its line.
std::string lineBreak(const std::string &text, std::size_t offset)
{
    std::size_t start = offset;
    while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t'))
        --start;
    if (start > 0 && text[start - 1] != '\n')
        return {};
    return (start > 1 && text[start - 2] == '\r' ? "\r\n" : "\n") + text.substr(start, offset - start);
}

struct Insert {
    std::size_t offset;
    std::string text;
};

// The text with the inserts at their offsets (those at one offset in their order), and the
// root's version made 4.0, whose <numeral> this is.
std::string spliced(const score::PlacedScore &placed, std::vector<Insert> inserts)
{
    const std::string &text = placed.text;
    std::stable_sort(inserts.begin(), inserts.end(), [](const Insert &a, const Insert &b) { return a.offset < b.offset; });
    std::size_t size = text.size();
    for (const Insert &i : inserts)
        size += i.text.size();
    std::string out;
    out.reserve(size + 32);
    std::size_t from = 0;
    const auto copyTo = [&](std::size_t to) {
        out.append(text, from, to - from);
        from = to;
    };
    const VersionEdit version = versionEdit(text, placed.root);
    bool versioned = false;
    for (const Insert &i : inserts) {
        if (!versioned && version.from <= i.offset) {
            copyTo(version.from);
            out += version.text;
            from = version.to;
            versioned = true;
        }
        copyTo(std::max(i.offset, from));
        out += i.text;
        out += lineBreak(text, i.offset);
    }
    if (!versioned && version.from >= from) {
        copyTo(version.from);
        out += version.text;
        from = version.to;
    }
    copyTo(text.size());
    return out;
}

} // namespace

Result<std::string> annotatedScore(const score::PlacedScore &placed, const std::vector<HarmonyMark> &marks)
{
    std::vector<Insert> inserts;
    const PartAt &top = placed.first;
    const PartAt &bottom = placed.last;
    for (const HarmonyMark &m : marks) {
        if (const auto spot = spotFor(top, m.tick, 1))
            inserts.push_back({spot->offset, chordSymbolXml(m, *spot)});
        if (m.numerals.empty())
            continue;
        if (const auto spot = spotFor(bottom, m.tick, bottom.staves)) {
            if (m.keyChanges)
                inserts.push_back({spot->offset, keyNameXml(m, *spot, bottom.staves)});
            inserts.push_back({spot->offset, romanNumeralXml(m, *spot, bottom.staves)});
        }
    }
    return spliced(placed, std::move(inserts));
}

Result<std::string> annotatedScore(std::string_view bytes, const std::vector<HarmonyMark> &marks)
{
    if (!score::looksLikeScore(bytes))
        return failure("it is not a score; the analysis is written into MusicXML scores only");
    const Result<score::PlacedScore> placed = score::placedScore(bytes);
    if (!placed)
        return failure(placed.error().reason);
    return annotatedScore(*placed, marks);
}

Result<std::string> annotatedScore(std::string_view bytes, const FileAnalysis &analysis,
                                   const AnalysisChoices &choices)
{
    if (choices.unfoldRepeats)
        return failure("the analysis is written into the score as written: run it without unfolding repeats");
    if (choices.fast.adjust.transpose != 0)
        return failure("the analysis is written into the score at its pitch: run it without transposing");
    if (analysis.placed)
        return annotatedScore(*analysis.placed, harmonyMarks(analysis));
    return annotatedScore(bytes, harmonyMarks(analysis));
}

} // namespace tunedeck::annotate
