#include "core/romantext/romanplaces.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>

namespace tunedeck::romantext {

namespace {

bool compound(const Meter &m) { return m.beats % 3 == 0 && (m.beats > 3 || m.beatType >= 8); }

// The number a printed measure number starts with: "12" and "12a" are 12; "X1" has none.
std::optional<std::int64_t> leadingNumber(const std::string &number)
{
    std::int64_t n = 0;
    std::size_t i = 0;
    for (; i < number.size() && i < 12 && std::isdigit(static_cast<unsigned char>(number[i])); ++i)
        n = n * 10 + (number[i] - '0');
    return i == 0 ? std::nullopt : std::optional(n);
}

Meter meterAt(const std::vector<score::TimeSignature> &times, std::int64_t tick)
{
    Meter m;
    for (const score::TimeSignature &t : times) {
        if (t.tick > tick)
            break;
        if (t.beats > 0 && t.beatType > 0)
            m = {t.beats, t.beatType};
    }
    return m;
}

std::int64_t barTicks(const Meter &m, int ticksPerQuarter)
{
    return std::int64_t(m.beats) * 4 * ticksPerQuarter / m.beatType;
}

// Scores that number their pickup 1 and the first full measure 2.
bool countsPickup(const score::ScoreLayout &layout)
{
    const auto &ms = layout.measures;
    return layout.pickup && ms.size() > 1 && leadingNumber(ms[0].number) == 1 && leadingNumber(ms[1].number) == 2;
}

} // namespace

double beatQuarters(const Meter &meter)
{
    const double note = 4.0 / std::max(meter.beatType, 1);
    return compound(meter) ? 3 * note : note;
}

MeasurePlaces::MeasurePlaces(const score::ScoreLayout &layout, int ticksPerQuarter)
    : ticksPerQuarter_(ticksPerQuarter), first_(meterAt(layout.times, 0))
{
    const std::int64_t shift = countsPickup(layout) ? 1 : 0;
    for (std::size_t k = 0; k < layout.measures.size(); ++k) {
        const score::Measure &m = layout.measures[k];
        const std::optional<std::int64_t> lead = leadingNumber(m.number);
        Bar bar{m.tick, 0, 0, 0, meterAt(layout.times, m.tick)};
        if (bars_.empty())
            bar.measure = lead ? *lead - shift : layout.pickup || m.implicit ? 0 : 1;
        else
            bar.measure = lead ? *lead - shift : bars_.back().measure + (m.implicit ? 0 : 1);
        const bool goesOn = !bars_.empty() && bar.measure == bars_.back().measure;
        const std::int64_t full = barTicks(bar.meter, ticksPerQuarter);
        if (goesOn) {
            bar.line = bars_.back().line;
            bar.offset = bars_.back().offset + (m.tick - bars_.back().tick);
        } else {
            bar.line = bars_.empty() ? 0 : bars_.back().line + 1;
            // A short measure that ends a bar: the pickup, the second half of a split bar.
            const bool split = lead && m.number.size() > std::to_string(*lead).size(); // "4a"
            const bool endsBar = (k == 0 && layout.pickup) || m.implicit || split;
            if (endsBar && m.length < full)
                bar.offset = full - m.length;
        }
        bars_.push_back(bar);
        end_ = std::max(end_, m.tick + m.length);
    }
}

MeasurePlaces::MeasurePlaces(Meter meter, const chords::ChordClock &bars)
    : clock_(bars), ticksPerQuarter_(bars.ticksPerQuarter), first_(meter)
{
}

Place MeasurePlaces::at(std::int64_t tick) const
{
    tick = std::max<std::int64_t>(tick, 0);
    const double quarter = std::max(ticksPerQuarter_, 1);
    if (bars_.empty()) {
        chords::ChordSegment at;
        at.tick = tick;
        chords::placeInBar(at, clock_); // as the chords count it: a pickup is bar 0
        // The silence before bar 1's downbeat is written at its first beat: RomanText counts from 1.
        const double beat = std::max(1.0, 1 + (at.beat - 1) / beatQuarters(first_));
        return {std::size_t(std::max<std::int64_t>(at.bar, 0)), at.bar, beat, first_};
    }
    auto it = std::upper_bound(bars_.begin(), bars_.end(), tick, [](std::int64_t t, const Bar &b) { return t < b.tick; });
    const Bar &b = it == bars_.begin() ? bars_.front() : *(it - 1);
    const double beat = 1 + double(b.offset + std::max<std::int64_t>(tick - b.tick, 0)) / quarter / beatQuarters(b.meter);
    return {b.line, b.measure, beat, b.meter};
}

std::optional<std::int64_t> MeasurePlaces::tickOf(std::int64_t measure, double beat, int which) const
{
    // The measure's first line, or a later one of that number (a second ending numbered alike).
    auto first = std::find_if(bars_.begin(), bars_.end(), [&](const Bar &b) { return b.measure == measure; });
    for (int k = 0; k < which && first != bars_.end(); ++k) {
        const std::size_t line = first->line;
        first = std::find_if(first, bars_.end(), [&](const Bar &b) { return b.measure == measure && b.line != line; });
    }
    if (first == bars_.end())
        return std::nullopt;
    const double quarters = (std::max(beat, 1.0) - 1) * beatQuarters(first->meter);
    const std::int64_t offset = std::llround(quarters * std::max(ticksPerQuarter_, 1));
    // The line's bar that offset falls in; before a pickup's first note, its start.
    auto bar = first;
    for (auto next = first + 1; next != bars_.end() && next->line == first->line && next->offset <= offset; ++next)
        bar = next;
    return bar->tick + std::max<std::int64_t>(offset - bar->offset, 0);
}

} // namespace tunedeck::romantext
