#include "core/score/repeats.h"

#include <algorithm>

namespace tunedeck::score {

namespace {

// For each measure, the passes of the ending it lies in; empty outside endings. An ending
// runs from its start to its stop; one never stopped is its first measure alone.
std::vector<std::vector<int>> endingPasses(const std::vector<Barlines> &barlines)
{
    std::vector<std::vector<int>> out(barlines.size());
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
            out[j] = barlines[i].endingStart;
    }
    return out;
}

} // namespace

std::vector<std::size_t> playingOrder(const std::vector<Barlines> &barlines)
{
    const std::vector<std::vector<int>> passes = endingPasses(barlines);
    const std::size_t cap = 64 * std::max<std::size_t>(barlines.size(), 1);
    std::vector<std::size_t> order;
    std::size_t start = 0;
    int pass = 1;
    for (std::size_t i = 0; i < barlines.size() && order.size() < cap;) {
        const Barlines &b = barlines[i];
        if (b.forward && i != start) {
            start = i;
            pass = 1;
        }
        const std::vector<int> &in = passes[i];
        if (!in.empty() && std::find(in.begin(), in.end(), pass) == in.end()) {
            ++i; // an ending for other passes
            continue;
        }
        order.push_back(i);
        int times = b.backwardTimes;
        if (times > 0 && !in.empty())
            times = std::max(times, *std::max_element(in.begin(), in.end()) + 1);
        if (times > 0 && pass < times) {
            ++pass;
            i = start;
            continue;
        }
        const bool lastEnding = !in.empty() && (b.endingStop || times > 0);
        if (times > 0 || lastEnding) {
            start = i + 1;
            pass = 1;
        }
        ++i;
    }
    return order;
}

} // namespace tunedeck::score
