#include "chordscore/barmeasures.h"

#include "core/chords/barevidence.h"
#include "core/chords/chordframes.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace tunedeck::chordscore {

namespace {

bool near(const std::vector<std::int64_t> &sorted, std::int64_t tick, std::int64_t tolerance)
{
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), tick - tolerance);
    return at != sorted.end() && *at <= tick + tolerance;
}

std::optional<double> share(int hits, int of)
{
    return of > 0 ? std::optional<double>(double(hits) / of) : std::nullopt;
}

// Whether a bar of the clock starts at the tick.
bool startsBar(const chords::ChordClock &clock, std::int64_t tick)
{
    const std::vector<std::int64_t> &lines = clock.barLines;
    if (!lines.empty() && tick >= lines.back())
        return (tick - lines.back()) % clock.ticksPerBar == 0;
    if (!lines.empty())
        return std::binary_search(lines.begin(), lines.end(), tick);
    return tick >= clock.barStart && (tick - clock.barStart) % clock.ticksPerBar == 0;
}

} // namespace

std::map<std::string, std::vector<std::int64_t>> loadDownbeats(const std::filesystem::path &file)
{
    std::map<std::string, std::vector<std::int64_t>> out;
    std::ifstream in(file);
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        std::istringstream row(line);
        std::string name, tick, down;
        if (!std::getline(row, name, '\t') || !std::getline(row, tick, '\t') || !std::getline(row, down, '\t'))
            continue;
        std::vector<std::int64_t> &beats = out[name];
        if (down == "1")
            beats.push_back(std::stoll(tick));
    }
    for (auto &[name, beats] : out)
        std::sort(beats.begin(), beats.end());
    return out;
}

BarMeasures measureBars(const std::vector<ChordRow> &reference, const std::vector<chords::ChordSegment> &segments,
                        const std::vector<std::int64_t> &downbeats, int ticksPerQuarter)
{
    BarMeasures m;
    if (downbeats.empty())
        return m;
    const std::int64_t tolerance = std::max(ticksPerQuarter, 1) / 8;
    std::vector<std::int64_t> shownFirst; // the chords shown at beat 1
    int whole = 0;
    for (const chords::ChordSegment &s : segments) {
        if (s.beat == 1)
            shownFirst.push_back(s.tick);
        whole += s.beat == std::floor(s.beat) ? 1 : 0;
    }
    std::sort(shownFirst.begin(), shownFirst.end());
    int changes = 0, found = 0;
    for (std::size_t r = 0; r < reference.size(); ++r) {
        const ChordRow &row = reference[r];
        const bool repeat = r > 0 && reference[r - 1].label == row.label && reference[r - 1].end == row.start;
        if (repeat || row.label == "N" || !near(downbeats, row.start, tolerance))
            continue;
        ++changes;
        found += near(shownFirst, row.start, tolerance) ? 1 : 0;
    }
    int onDownbeat = 0;
    for (std::int64_t t : shownFirst)
        onDownbeat += near(downbeats, t, tolerance) ? 1 : 0;
    m.recall = share(found, changes);
    m.precision = share(onDownbeat, int(shownFirst.size()));
    m.onBeat = share(whole, int(segments.size()));
    return m;
}

void writeBarFeatures(std::ostream &out, const std::vector<ChordFile> &files)
{
    out << "set\tfile\tgroup\tbeat\ttick\tdownbeat\tbar_line";
    for (std::size_t e = 0; e < chords::EvidenceCount; ++e)
        out << "\te" << e;
    out << "\n";
    std::map<std::filesystem::path, std::map<std::string, std::vector<std::int64_t>>> downbeats;
    for (const ChordFile &f : files) {
        if (!std::filesystem::exists(f.folder / "beats.tsv"))
            continue;
        if (!downbeats.count(f.folder))
            downbeats[f.folder] = loadDownbeats(f.folder / "beats.tsv");
        const auto annotated = downbeats[f.folder].find(f.file.name);
        if (annotated == downbeats[f.folder].end() || annotated->second.empty())
            continue;
        const int tpq = f.file.ticksPerQuarter;
        const chords::ChordClock clock =
            chords::musicClock(f.file.events, {tpq, 4 * std::int64_t(tpq), f.file.msPerTick}, f.file.statedQuarters);
        const std::vector<chords::SpanNote> notes = chords::pairNotes(f.file.events);
        const chords::BeatGrid beats{tpq, std::max<std::int64_t>(clock.beatPhase, 0)};
        const chords::BarEvidence evidence(notes, beats, 1 << 16);
        const std::vector<chords::BeatEvidence> rows = evidence.forBars(std::size_t(clock.ticksPerBar / tpq));
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const std::int64_t tick = beats.phase + std::int64_t(k) * tpq;
            out << f.set << '\t' << f.file.name << '\t' << f.file.group << '\t' << k << '\t' << tick << '\t'
                << (near(annotated->second, tick, tpq / 8) ? 1 : 0) << '\t' << (startsBar(clock, tick) ? 1 : 0);
            for (double v : rows[k])
                out << '\t' << v;
            out << '\n';
        }
    }
}

void BarSummary::add(const BarMeasures &m)
{
    ++files;
    const std::array<std::optional<double>, 3> each{m.recall, m.precision, m.onBeat};
    for (std::size_t k = 0; k < each.size(); ++k)
        if (each[k]) {
            sum[k] += *each[k];
            ++counted[k];
        }
}

std::optional<double> BarSummary::mean(std::size_t k) const
{
    return counted[k] > 0 ? std::optional<double>(sum[k] / counted[k]) : std::nullopt;
}

} // namespace tunedeck::chordscore
