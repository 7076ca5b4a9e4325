#include "core/batch/summary.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <cstdio>

namespace tunedeck::batch {

namespace {

std::string files(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " file" : " files");
}

std::string percent(std::size_t part, std::size_t whole)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f %%", whole ? 100.0 * double(part) / double(whole) : 0.0);
    return buf;
}

} // namespace

void RunCounts::add(const FileResult &r)
{
    switch (classify(r)) {
    case OutcomeClass::Read: ++read; break;
    case OutcomeClass::Refused:
        ++refused;
        refusedFormat0 += r.format0 && !r.splitFormat0;
        break;
    case OutcomeClass::Failed: ++failed; break;
    }
}

std::string summaryLine(const RunCounts &c, double seconds)
{
    std::string line = files(c.read) + " read";
    if (c.refused)
        line += ", " + std::to_string(c.refused) + " refused";
    if (c.failed)
        line += ", " + std::to_string(c.failed) + " failed";
    if (c.skipped)
        line += ", " + std::to_string(c.skipped) + " skipped";
    if (c.copiesNotWritten)
        line += ", " + std::to_string(c.copiesNotWritten) + (c.copiesNotWritten == 1 ? " copy" : " copies") + " not written";
    char time[32];
    std::snprintf(time, sizeof time, " in %.1f s", seconds);
    line += time;
    if (c.refusedFormat0)
        line += "; " + std::to_string(c.refusedFormat0) + " of the refused files "
                + (c.refusedFormat0 == 1 ? "is" : "are") + " format 0, which --split-format0 reads";
    return line;
}

void KeyTally::add(const FileResult &r)
{
    if (isKeyCode(r.keyCode) && classify(r) == OutcomeClass::Read)
        ++perKey[r.keyCode];
    else
        ++withoutKey;
}

std::vector<std::string> keySummaryLines(const KeyTally &tally, Notation notation)
{
    std::vector<std::pair<int, std::size_t>> keys(tally.perKey.begin(), tally.perKey.end());
    std::stable_sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    std::size_t total = 0, major = 0;
    for (const auto &[code, n] : keys) {
        total += n;
        major += isMajorKey(code) ? n : 0;
    }

    std::vector<std::string> lines;
    for (const auto &[code, n] : keys) {
        std::string name = keyName(code, Notation::Standard);
        if (notation != Notation::Standard)
            name += " (" + keyName(code, notation) + ")";
        char buf[96];
        std::snprintf(buf, sizeof buf, "%-20s %6zu  %7s", name.c_str(), n, percent(n, total).c_str());
        lines.emplace_back(buf);
    }
    lines.push_back("Major " + percent(major, total) + " (" + files(major) + "), minor "
                    + percent(total - major, total) + " (" + files(total - major) + ")"
                    + (tally.withoutKey ? ", without a key: " + files(tally.withoutKey) : std::string()));
    return lines;
}

} // namespace tunedeck::batch
