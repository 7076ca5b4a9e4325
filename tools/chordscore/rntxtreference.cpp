#include "chordscore/rntxtreference.h"

#include "chordscore/numeralchords.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace tunedeck::chordscore {

namespace {

// Second endings ("m10b"-"m14b" after "m10a"-"m14a"): where the score numbers them as the
// first ones, those lines; where it numbers them on (10-14, then 15-19), the measures after
// the first ending's, and every later measure that many on.
std::vector<RomanChord> placeEndings(std::vector<RomanChord> chords, const romantext::MeasurePlaces &places)
{
    std::set<std::int64_t> seconds;
    for (const RomanChord &c : chords)
        if (c.which > 0)
            seconds.insert(c.measure);
    std::vector<std::pair<std::int64_t, std::int64_t>> runs; // first and last measure of each
    for (std::int64_t m : seconds)
        if (!runs.empty() && runs.back().second + 1 == m)
            runs.back().second = m;
        else
            runs.emplace_back(m, m);
    std::vector<std::pair<std::int64_t, std::int64_t>> numberedOn; // as runs, the score numbering them on
    for (const auto &run : runs)
        if (!places.tickOf(run.first, 1, 1))
            numberedOn.push_back(run);
    for (RomanChord &c : chords) {
        std::int64_t by = 0;
        for (const auto &[first, last] : numberedOn) {
            const std::int64_t length = last - first + 1;
            if (c.measure > last)
                by += length;
            else if (c.measure >= first && c.which > 0) {
                by += c.which * length;
                c.which = 0;
            }
        }
        c.measure += by;
    }
    return chords;
}

// A score that numbers its first full measure 0 where the analysis starts at m1: the
// analysis counts that measure as 1.
void countFromFirst(std::vector<RomanChord> &chords, const romantext::MeasurePlaces &places)
{
    const romantext::Place start = places.at(0);
    if (start.measure != 0 || start.beat != 1 || !places.tickOf(0, 1))
        return;
    if (std::any_of(chords.begin(), chords.end(), [](const RomanChord &c) { return c.measure <= 0; }))
        return;
    for (RomanChord &c : chords)
        --c.measure;
}

} // namespace

std::vector<ChordRow> romanTextRows(const RomanTextRead &read, const romantext::MeasurePlaces &places, int shift,
                                    RomanTextTally &tally)
{
    std::vector<ChordRow> rows;
    std::vector<RomanChord> chords = placeEndings(read.chords, places);
    countFromFirst(chords, places);
    for (const RomanChord &c : chords) {
        ++tally.chords;
        std::optional<std::int64_t> tick = places.tickOf(c.measure, c.beat, c.which);
        if (const std::optional<std::int64_t> bar = places.tickOf(c.measure, 1, c.which); c.slow && bar) {
            const romantext::Meter meter = places.at(*bar).meter;
            const double notes = romantext::beatQuarters(meter) * meter.beatType / 4; // the notes a beat
            tick = places.tickOf(c.measure, 1 + (c.beat - 1) / notes, c.which);
        }
        if (!tick) {
            const std::string kind = "measure not in the score";
            ++tally.leftOut[kind];
            tally.example.try_emplace(kind, std::to_string(c.measure).insert(0, 1, 'm'));
            continue;
        }
        ChordRow row;
        row.start = *tick;
        row.roman = c.figure;
        row.keyCode = isKeyCode(c.keyCode) ? keyCodeOf(tonicOf(c.keyCode) + shift, isMinorKey(c.keyCode)) : NoKey;
        const auto label = labelOfNumeral(c.figure, row.keyCode);
        if (const auto *named = std::get_if<NumeralLabel>(&label)) {
            row.label = named->label;
        } else {
            const std::string &kind = std::get<NumeralLeftOut>(label).kind;
            ++tally.leftOut[kind];
            tally.example.try_emplace(kind, c.figure);
            row.label.assign(1, 'X');
        }
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ChordRow &a, const ChordRow &b) { return a.start < b.start; });
    // Of two chords on one tick (a pivot chord read in both keys) the first written holds;
    // each lasts to the next.
    std::vector<ChordRow> kept;
    for (ChordRow &row : rows)
        if (kept.empty() || kept.back().start != row.start)
            kept.push_back(std::move(row));
    for (std::size_t i = 0; i < kept.size(); ++i)
        kept[i].end = i + 1 < kept.size() ? kept[i + 1].start : std::max(places.endTick(), kept[i].start);
    std::erase_if(kept, [](const ChordRow &r) { return r.end <= r.start; });
    return kept;
}

void useRomanText(std::vector<ChordFile> &files, const keyscore::ScoreFolders &scores, RomanTextTally &tally,
                  std::vector<std::string> &warnings)
{
    for (ChordFile &f : files) {
        std::filesystem::path path = keyscore::scoreFor(f.file.name, scores);
        if (path.empty() || !f.file.layout)
            continue;
        path.replace_extension(".rntxt");
        std::ifstream in(path);
        if (!in)
            continue;
        std::stringstream text;
        text << in.rdbuf();
        const RomanTextRead read = readRomanText(text.str());
        for (const std::string &p : read.problems)
            warnings.push_back(path.filename().string() + ": " + p);
        const romantext::MeasurePlaces places(*f.file.layout, f.file.ticksPerQuarter);
        std::vector<ChordRow> rows = romanTextRows(read, places, f.file.scoreShift, tally);
        if (rows.empty()) {
            warnings.push_back(path.filename().string() + ": no chords placed, chords.tsv's rows kept");
            continue;
        }
        f.reference = std::move(rows);
        ++tally.files;
    }
}

void printRomanTextTally(const RomanTextTally &tally)
{
    std::printf("RomanText analyses: %d files, %d chords", tally.files, tally.chords);
    int out = 0;
    for (const auto &[kind, count] : tally.leftOut)
        out += count;
    std::printf("; %d no reference chord:\n", out);
    for (const auto &[kind, count] : tally.leftOut)
        std::printf("  %5d  %s (\"%s\")\n", count, kind.c_str(), tally.example.at(kind).c_str());
}

void writeReference(std::ostream &out, const std::vector<ChordFile> &files)
{
    out << "file\tstart_tick\tend_tick\tlabel\troman\tkeycode\n";
    for (const ChordFile &f : files)
        if (f.scored)
            for (const ChordRow &r : f.reference)
                out << f.file.name << '\t' << r.start << '\t' << r.end << '\t' << r.label << '\t' << r.roman << '\t'
                    << (isKeyCode(r.keyCode) ? std::to_string(r.keyCode) : std::string()) << '\n';
}

} // namespace tunedeck::chordscore
