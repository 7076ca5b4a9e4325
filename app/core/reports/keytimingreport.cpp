#include "core/reports/keytimingreport.h"

#include "core/base/keycodes.h"

#include <algorithm>

namespace tunedeck {

namespace {

constexpr int maxSelectedKeys = 10;
constexpr int notKnownTarget = 70; // percent the top keys must reach together
constexpr std::int64_t maxBars = 10000;
constexpr std::int64_t maxMinutes = 100;

int keyCount(KeyCountChoice keys, std::size_t ranked)
{
    int n = 0;
    switch (keys) {
    case KeyCountChoice::One: n = 1; break;
    case KeyCountChoice::Two: n = 2; break;
    case KeyCountChoice::Three: n = 3; break;
    case KeyCountChoice::Four: n = 4; break;
    case KeyCountChoice::NotKnown: n = int(std::min<std::size_t>(ranked, maxSelectedKeys)); break;
    }
    return int(std::min<std::size_t>(std::size_t(n), ranked));
}

} // namespace

KeyTimingReport buildKeyTimingReport(const KeyTimeline &timeline, const std::vector<RankedKey> &ranked,
                                     bool barTiming, std::int32_t ticksPerBar, KeyCountChoice keys,
                                     BarLimit limit)
{
    KeyTimingReport report;
    report.barTiming = barTiming;
    if (timeline.full != 0)
        report.overflow = TimelineOverflow::Full;

    // A header with no usable ticks-per-quarter must not divide by zero.
    const std::int64_t barTicks = ticksPerBar > 0 ? ticksPerBar : 1;
    for (std::size_t i = 0; i < timeline.times.size(); ++i) {
        const std::int64_t time = timeline.times[i];
        if (time < 0)
            break;
        std::int64_t at = 0;
        if (barTiming) {
            at = time / barTicks + 1;
            if (at >= maxBars && limit == BarLimit::Window) {
                report.overflow = TimelineOverflow::Bars;
                break;
            }
        } else {
            at = time / 1000;
            if (at / 60 >= maxMinutes) {
                report.overflow = TimelineOverflow::Minutes;
                break;
            }
        }
        report.entries.push_back({at, isKeyCode(timeline.codes[i]) ? timeline.codes[i] : 0, timeline.times[i]});
    }

    const int n = keyCount(keys, ranked.size());
    int sum = 0;
    for (int k = 0; k < n; ++k) {
        report.selected.push_back(ranked[std::size_t(k)].code);
        sum += ranked[std::size_t(k)].percent;
        if (keys == KeyCountChoice::NotKnown && sum >= notKnownTarget)
            break;
    }

    // Keys left out in between do not split a region: keep only changes of key.
    for (const TimelinePoint &e : report.entries) {
        const bool selected = std::find(report.selected.begin(), report.selected.end(), e.code)
                              != report.selected.end();
        if (e.code != 0 && selected && (report.points.empty() || report.points.back().code != e.code))
            report.points.push_back(e);
    }

    if (ranked.empty())
        return report;
    const std::int64_t start = barTiming ? 1 : 0;
    // A single point is shown as the overall key rather than whichever key survived; the
    // first key holds from the start of the music, wherever its region was found.
    if (report.points.size() <= 1)
        report.points = {{start, ranked.front().code, 0}};
    else
        report.points.front() = {start, report.points.front().code, 0};
    return report;
}

} // namespace tunedeck
