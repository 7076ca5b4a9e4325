#include "chordscore/barmeasures.h"

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
