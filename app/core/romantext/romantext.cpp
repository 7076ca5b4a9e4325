#include "core/romantext/romantext.h"

#include "core/chords/spellednames.h"
#include "core/base/choices.h"
#include "core/harmony/romannumeral.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#ifndef TUNEDECK_VERSION
#define TUNEDECK_VERSION "unknown"
#endif

namespace tunedeck::romantext {

namespace {

MeasurePlaces placesOf(const FileAnalysis &a)
{
    const int quarter = a.file.ticksPerQuarter > 0 ? a.file.ticksPerQuarter : 480;
    if (a.layout)
        return MeasurePlaces(*a.layout, quarter);
    const Meter meters[] = {{2, 4}, {3, 4}, {4, 4}, {6, 8}};
    Meter meter = meters[meterIndex(a.run.meter)];
    chords::ChordClock bars = a.bars;
    bars.ticksPerQuarter = quarter;
    bars.barLines.clear(); // one meter throughout: a bar of two or six beats has no measure of its own here
    if (bars.ticksPerBar <= 0)
        bars.ticksPerBar = a.run.ticksPerBar > 0 ? a.run.ticksPerBar : std::int64_t(quarter) * 4;
    // The music's bars: quarters to the bar, whatever the meter option says.
    else if (bars.ticksPerBar != a.run.ticksPerBar && bars.ticksPerBar % quarter == 0)
        meter = {int(bars.ticksPerBar / quarter), 4};
    return MeasurePlaces(meter, bars);
}

// "G", "bb": the tonic as the score writes the key there, minor in lower case.
std::string keyText(const SpelledNames &names, int code, std::int64_t tick)
{
    std::string tonic = names.tonicAt(code, tick);
    if (isMinorKey(code) && !tonic.empty())
        tonic[0] = char(std::tolower(static_cast<unsigned char>(tonic[0])));
    return tonic;
}

// One line: a header field's value never breaks it.
std::string oneLine(std::string text)
{
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    return text;
}

std::string meterText(const Meter &m) { return std::to_string(m.beats) + '/' + std::to_string(m.beatType); }

// "2", "2.5", "2.67": two decimals at most, as the analyses write thirds.
std::string beatText(double beat)
{
    const long hundredths = std::lround(beat * 100);
    std::string text = std::to_string(hundredths / 100);
    if (const long part = hundredths % 100) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02ld", part);
        text += '.';
        text += digits[1] == '0' ? std::string(1, digits[0]) : std::string(digits);
    }
    return text;
}

} // namespace

std::string analystName() { return std::string("Tunedeck ") + TUNEDECK_VERSION; }

RomanDocument romanDocument(const FileAnalysis &a, const std::string &name)
{
    RomanDocument doc;
    doc.title = a.layout && !a.layout->title.empty() ? a.layout->title : name;
    if (a.layout)
        doc.composer = a.layout->composer;
    const MeasurePlaces places = placesOf(a);
    doc.meter = places.firstMeter();
    const SpelledNames names(a.spelling.get(), a.profile ? &*a.profile : nullptr);
    Meter meter = doc.meter;
    int key = NoKey;
    std::optional<std::size_t> line;
    for (const chords::ChordSegment &s : a.chords) {
        const std::string numeral = s.chord.none() ? "NC" : harmony::romanNumeral(s.chord, s.keyCode);
        if (numeral.empty())
            continue; // a chord without a key has no numeral to write
        const Place place = places.at(s.tick);
        if (!line || *line != place.line) {
            RomanLine next{std::nullopt, place.measure, {}};
            if (place.meter != meter)
                next.meter = meter = place.meter;
            doc.lines.push_back(std::move(next));
            line = place.line;
        }
        RomanChord chord{place.beat, {}, numeral};
        if (!s.chord.none() && s.keyCode != key && isKeyCode(s.keyCode)) {
            chord.key = keyText(names, s.keyCode, s.tick);
            key = s.keyCode;
        }
        doc.lines.back().chords.push_back(std::move(chord));
    }
    return doc;
}

std::string romanText(const RomanDocument &doc)
{
    std::string out = "Composer: " + oneLine(doc.composer) + "\nTitle: " + oneLine(doc.title) +
                      "\nAnalyst: " + analystName() + "\n\nTime Signature: " + meterText(doc.meter) + "\n\n";
    for (const RomanLine &line : doc.lines) {
        if (line.meter)
            out += "Time Signature: " + meterText(*line.meter) + '\n';
        out += 'm' + std::to_string(line.measure);
        for (std::size_t i = 0; i < line.chords.size(); ++i) {
            const RomanChord &c = line.chords[i];
            const std::string beat = beatText(c.beat);
            if (i > 0 || beat != "1")
                out += " b" + beat;
            if (!c.key.empty())
                out += ' ' + c.key + ':';
            out += ' ' + c.numeral;
        }
        out += '\n';
    }
    return out;
}

std::string romanText(const FileAnalysis &a, const std::string &name) { return romanText(romanDocument(a, name)); }

} // namespace tunedeck::romantext
