#include "core/score/layout.h"

#include "core/score/repeats.h"
#include "core/score/scoreerror.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>

namespace tunedeck::score {

namespace {

constexpr std::int64_t MaxTick = std::numeric_limits<std::int32_t>::max();

struct Placed {
    std::int64_t on = 0;
    std::int64_t off = 0;
    const ReadNote *note = nullptr;
    std::size_t measure = 0;
};

Fraction barLength(const TimeSignature &t)
{
    return Fraction{std::int64_t(t.beats) * 4, t.beatType};
}

} // namespace

// The length most parts give a measure (the longer of equally many): a part that overfills
// it, as with a second whole rest, runs into the next measure rather than pushing every part
// on. An empty measure is as long as its meter says.
std::vector<Fraction> measureLengths(const std::vector<ReadPart> &parts, std::size_t count)
{
    std::vector<Fraction> lengths(count);
    std::optional<TimeSignature> meter;
    for (std::size_t i = 0; i < count; ++i) {
        std::map<Fraction, int, std::greater<>> votes;
        for (const ReadPart &part : parts) {
            if (i >= part.measures.size())
                continue;
            if (part.measures[i].extent > Fraction{})
                ++votes[part.measures[i].extent];
            if (part.measures[i].time)
                meter = part.measures[i].time;
        }
        int most = 0;
        for (const auto &[length, n] : votes)
            if (n > most) {
                most = n;
                lengths[i] = length;
            }
        if (lengths[i] == Fraction{} && meter)
            lengths[i] = barLength(*meter);
    }
    return lengths;
}

namespace {

// The notes of one part in tick order, tied notes joined into one.
std::vector<Note> joinTies(std::vector<Placed> placed)
{
    std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        return a.on != b.on ? a.on < b.on : a.note->pitch < b.note->pitch;
    });
    std::vector<Note> notes;
    std::map<int, std::size_t> open; // pitch to the note a tie continues
    for (const Placed &p : placed) {
        const ReadNote &r = *p.note;
        const auto tied = open.find(r.pitch);
        // A tie started is joined to the next note of its pitch that starts where it ends,
        // whether or not that note marks the tie's stop: writers leave the stop out.
        if (tied != open.end() && notes[tied->second].tick + notes[tied->second].duration == p.on) {
            Note &n = notes[tied->second];
            n.duration = std::max(n.duration, p.off - n.tick);
            if (!r.tieStart)
                open.erase(tied);
            continue;
        }
        notes.push_back({p.on, p.off - p.on, r.pitch, r.spelling, r.voice, r.staff, p.measure});
        if (r.tieStart)
            open[r.pitch] = notes.size() - 1;
        else
            open.erase(r.pitch);
    }
    std::erase_if(notes, [](const Note &n) { return n.duration <= 0; });
    std::stable_sort(notes.begin(), notes.end(), [](const Note &a, const Note &b) {
        return a.tick != b.tick ? a.tick < b.tick : a.pitch < b.pitch;
    });
    return notes;
}

// The first part that has any of what `has` looks for: the meter and key come from one part.
template <class Has>
const ReadPart *firstWith(const std::vector<ReadPart> &parts, Has has)
{
    for (const ReadPart &part : parts)
        if (std::any_of(part.measures.begin(), part.measures.end(), has))
            return &part;
    return nullptr;
}

void signatures(Score &score, const std::vector<ReadPart> &parts, const std::vector<std::size_t> &order)
{
    const ReadPart *meter = firstWith(parts, [](const ReadMeasure &m) { return m.time.has_value(); });
    const ReadPart *key = firstWith(parts, [](const ReadMeasure &m) { return m.key.has_value(); });
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::int64_t tick = score.measures[k].tick;
        if (meter && order[k] < meter->measures.size() && meter->measures[order[k]].time) {
            TimeSignature t = *meter->measures[order[k]].time;
            t.tick = tick;
            if (score.times.empty() || score.times.back().beats != t.beats || score.times.back().beatType != t.beatType)
                score.times.push_back(t);
        }
        if (key && order[k] < key->measures.size() && key->measures[order[k]].key) {
            KeySignature s = *key->measures[order[k]].key;
            s.tick = tick;
            if (score.keys.empty() || score.keys.back().fifths != s.fifths || score.keys.back().minor != s.minor)
                score.keys.push_back(s);
        }
    }
    if (!score.times.empty() && score.times.front().tick == 0 && !score.measures.empty())
        score.pickup = score.measures.front().length < barLength(score.times.front()).ticks(TicksPerQuarter);
}

// The repeats as the first part marks them; the jumps as any part does, since a score may
// mark a da capo or a segno in one part only.
std::vector<Barlines> barlinesOf(const std::vector<ReadPart> &parts, std::size_t count)
{
    std::vector<Barlines> out;
    for (const ReadMeasure &m : parts.front().measures)
        out.push_back(m.barlines);
    out.resize(count);
    for (const ReadPart &part : parts)
        for (std::size_t i = 0; i < part.measures.size(); ++i) {
            const Barlines &b = part.measures[i].barlines;
            Barlines &into = out[i];
            for (auto mark : {&Barlines::segno, &Barlines::coda, &Barlines::toCoda, &Barlines::dalSegno})
                if (!(into.*mark))
                    into.*mark = b.*mark;
            into.daCapo = into.daCapo || b.daCapo;
            into.fine = into.fine || b.fine;
            into.codaSign = into.codaSign || b.codaSign;
            into.toCodaWords = into.toCodaWords || b.toCodaWords;
            into.codaWords = into.codaWords || b.codaWords;
        }
    return out;
}

} // namespace

// Where each played measure of a part starts, and after them where the part ends: a measure
// as long as the part fills it, as a player of that part counts; one the part leaves empty
// (or lacks) as long as the others make it.
std::vector<Fraction> partStarts(const ReadPart &part, const std::vector<std::size_t> &order,
                                 const std::vector<Fraction> &lengths)
{
    std::vector<Fraction> starts{Fraction{}};
    for (std::size_t i : order) {
        const bool filled = i < part.measures.size() && part.measures[i].extent > Fraction{};
        starts.push_back(starts.back() + (filled ? part.measures[i].extent : lengths[i]));
        if (starts.back().ticks(TicksPerQuarter) > MaxTick)
            throw ScoreError("it is longer than a MIDI file can count (2147483647 ticks)");
    }
    return starts;
}

namespace {

Part placePart(const ReadPart &part, const std::vector<std::size_t> &order, const std::vector<Fraction> &starts,
               std::map<std::int64_t, double> &tempos)
{
    std::vector<Placed> placed;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (order[k] >= part.measures.size())
            continue;
        const ReadMeasure &m = part.measures[order[k]];
        for (const ReadNote &n : m.notes) {
            const Fraction on = starts[k] + n.onset;
            const std::int64_t off = (on + n.duration).ticks(TicksPerQuarter);
            if (off > MaxTick)
                throw ScoreError("a note in measure " + m.number + " ends past what a MIDI file can count");
            placed.push_back({on.ticks(TicksPerQuarter), off, &n, k});
        }
        for (const ReadTempo &t : m.tempos)
            tempos.emplace(std::min((starts[k] + t.onset).ticks(TicksPerQuarter), MaxTick), t.quartersPerMinute);
    }
    return {part.id, part.name, part.program, part.drums, joinTies(std::move(placed))};
}

} // namespace

Score layOut(const std::vector<ReadPart> &parts, bool unfoldRepeats)
{
    std::size_t count = 0;
    for (const ReadPart &part : parts)
        count = std::max(count, part.measures.size());
    const std::vector<Fraction> lengths = measureLengths(parts, count);
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t(0));
    if (unfoldRepeats)
        order = playingOrder(barlinesOf(parts, count));

    Score score;
    // The measures as the first part counts them; the numbers of the part with the most.
    const ReadPart &numbered = *std::max_element(parts.begin(), parts.end(), [](const ReadPart &a, const ReadPart &b) {
        return a.measures.size() < b.measures.size();
    });
    const std::vector<Fraction> starts = partStarts(parts.front(), order, lengths);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::int64_t tick = starts[k].ticks(TicksPerQuarter);
        const ReadMeasure &m = numbered.measures[order[k]];
        score.measures.push_back({m.number, tick, starts[k + 1].ticks(TicksPerQuarter) - tick, m.implicit});
    }
    std::map<std::int64_t, double> tempos;
    for (const ReadPart &part : parts)
        score.parts.push_back(placePart(part, order, partStarts(part, order, lengths), tempos));
    for (const auto &[tick, rate] : tempos)
        if (score.tempos.empty() || score.tempos.back().quartersPerMinute != rate)
            score.tempos.push_back({tick, rate});
    signatures(score, parts, order);
    return score;
}

} // namespace tunedeck::score
