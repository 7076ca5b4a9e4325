#include "chordscore/rntxtreference.h"

#include "chordscore/numeralchords.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tunedeck::chordscore {

std::vector<ChordRow> romanTextRows(const RomanTextRead &read, const romantext::MeasurePlaces &places, int shift,
                                    RomanTextTally &tally)
{
    std::vector<ChordRow> rows;
    for (const RomanChord &c : read.chords) {
        ++tally.chords;
        const std::optional<std::int64_t> tick = places.tickOf(c.measure, c.beat, c.which);
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
    // Of two chords on one tick the later written holds; each lasts to the next.
    std::vector<ChordRow> kept;
    for (ChordRow &row : rows) {
        if (!kept.empty() && kept.back().start == row.start)
            kept.pop_back();
        kept.push_back(std::move(row));
    }
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

} // namespace tunedeck::chordscore
