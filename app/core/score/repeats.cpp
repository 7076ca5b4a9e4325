#include "core/score/repeats.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tunedeck::score {

namespace {

// The ending a measure lies in: the passes it is played on (none outside endings), and
// whether it leads back with a backward repeat at its end.
struct Ending {
    std::vector<int> passes;
    bool leadsBack = false;
};

// An ending runs from its start to its stop; one never stopped is its first measure alone.
std::vector<Ending> endingsOf(const std::vector<Barlines> &barlines)
{
    std::vector<Ending> out(barlines.size());
    for (std::size_t i = 0; i < barlines.size(); ++i) {
        if (barlines[i].endingStart.empty())
            continue;
        std::size_t last = i;
        for (std::size_t j = i; j < barlines.size(); ++j) {
            if (j > i && !barlines[j].endingStart.empty())
                break;
            if (barlines[j].endingStop || barlines[j].backwardTimes > 0) {
                last = j;
                break;
            }
        }
        for (std::size_t j = i; j <= last; ++j)
            out[j] = {barlines[i].endingStart, barlines[last].backwardTimes > 0};
    }
    return out;
}

// Coda marks without sounds. With "To Coda" in words, the coda is where "Coda" is written,
// else a coda sign after the first "To Coda" (not one beside it). Without, when there are just
// two signs, the first is "to coda" and the second the coda, as they are printed. A sound that
// names a coda anywhere leaves them all as they are.
std::vector<Barlines> withCodaSigns(std::vector<Barlines> barlines)
{
    std::vector<std::size_t> signs, toCodaWords, codaWords;
    for (std::size_t i = 0; i < barlines.size(); ++i) {
        if (barlines[i].coda || barlines[i].toCoda)
            return barlines;
        if (barlines[i].codaSign)
            signs.push_back(i);
        if (barlines[i].toCodaWords)
            toCodaWords.push_back(i);
        if (barlines[i].codaWords)
            codaWords.push_back(i);
    }
    if (!toCodaWords.empty()) {
        for (std::size_t i : toCodaWords)
            barlines[i].toCoda = std::string();
        if (codaWords.empty())
            for (std::size_t i : signs)
                if (i > toCodaWords.front() && !barlines[i].toCodaWords)
                    codaWords.push_back(i);
        for (std::size_t i : codaWords)
            barlines[i].coda = std::string();
    } else if (signs.size() == 2) {
        barlines[signs[0]].toCoda = std::string();
        barlines[signs[1]].coda = std::string();
    }
    return barlines;
}

using Mark = std::optional<std::string> Barlines::*;

// Where a jump from measure `from` goes: a mark of its label rather than another, and of
// those the nearest on the side the jump goes (at or before `from` for a segno, after it for
// a coda), else the nearest on the other side.
std::optional<std::size_t> markFor(const std::vector<Barlines> &barlines, Mark mark, const std::string &label,
                                   std::size_t from, bool before)
{
    for (const bool matching : {true, false}) {
        std::optional<std::size_t> best;
        std::pair<bool, std::size_t> bestKey{true, 0};
        for (std::size_t j = 0; j < barlines.size(); ++j) {
            const std::optional<std::string> &m = barlines[j].*mark;
            if (!m || (matching && *m != label))
                continue;
            const bool side = before ? j <= from : j > from;
            const std::pair<bool, std::size_t> key{!side, j > from ? j - from : from - j};
            if (!best || key < bestKey) {
                best = j;
                bestKey = key;
            }
        }
        if (best)
            return best;
    }
    return std::nullopt;
}

// The walk through the measures: where it is, the repeat it is in and the pass, and the jumps
// taken. After a da capo or dal segno the repeats are taken once: a backward repeat no longer
// goes back and an ending that leads back is skipped.
struct Walk {
    std::size_t at = 0;
    std::size_t start = 0;
    int pass = 1;
    bool jumped = false;
    bool codaTaken = false;
    std::vector<bool> jumpTaken;

    void goTo(std::size_t measure)
    {
        at = start = measure;
        pass = 1;
    }
};

bool skipped(const Walk &w, const Ending &e)
{
    if (w.jumped)
        return e.leadsBack;
    return !e.passes.empty() && std::find(e.passes.begin(), e.passes.end(), w.pass) == e.passes.end();
}

enum class Next { On, Jumped, End };

// At the end of measure w.at, past its repeat: the jump it marks, if one is taken now, or
// the end of the music at a fine after a jump.
Next jump(Walk &w, const std::vector<Barlines> &barlines)
{
    const Barlines &b = barlines[w.at];
    if (w.jumped && b.fine)
        return Next::End;
    if (w.jumped && b.toCoda && !w.codaTaken) {
        w.codaTaken = true;
        if (const auto to = markFor(barlines, &Barlines::coda, *b.toCoda, w.at, false)) {
            w.goTo(*to);
            return Next::Jumped;
        }
    }
    if ((b.daCapo || b.dalSegno) && !w.jumpTaken[w.at]) {
        w.jumpTaken[w.at] = true;
        const auto to = b.daCapo ? std::optional<std::size_t>(0)
                                 : markFor(barlines, &Barlines::segno, *b.dalSegno, w.at, true);
        if (to) {
            w.goTo(*to);
            w.jumped = true;
            return Next::Jumped;
        }
    }
    return Next::On;
}

} // namespace

std::vector<std::size_t> playingOrder(const std::vector<Barlines> &written)
{
    const std::vector<Barlines> barlines = withCodaSigns(written);
    const std::vector<Ending> endings = endingsOf(barlines);
    const std::size_t cap = 64 * std::max<std::size_t>(barlines.size(), 1);
    std::vector<std::size_t> order;
    Walk w;
    w.jumpTaken.assign(barlines.size(), false);
    while (w.at < barlines.size() && order.size() < cap) {
        const std::size_t i = w.at;
        const Barlines &b = barlines[i];
        if (b.forward && i != w.start) {
            w.start = i;
            w.pass = 1;
        }
        const Ending &in = endings[i];
        if (skipped(w, in)) {
            ++w.at; // an ending for other passes
            continue;
        }
        order.push_back(i);
        int times = b.backwardTimes;
        if (times > 0 && !in.passes.empty())
            times = std::max(times, *std::max_element(in.passes.begin(), in.passes.end()) + 1);
        if (!w.jumped && times > 0 && w.pass < times) {
            ++w.pass;
            w.at = w.start;
            continue;
        }
        if (times > 0 || (!in.passes.empty() && b.endingStop)) {
            w.start = i + 1;
            w.pass = 1;
        }
        const Next next = jump(w, barlines);
        if (next == Next::End)
            break;
        if (next == Next::On)
            ++w.at;
    }
    return order;
}

} // namespace tunedeck::score
