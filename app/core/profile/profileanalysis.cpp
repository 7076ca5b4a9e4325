#include "core/profile/profileanalysis.h"

#include "core/profile/keyhmm.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tunedeck::profile {

namespace {

// Candidates below this share are left out; the rest keep their shares, so that the first
// shows its calibrated confidence however the small rest is spread.
constexpr double SmallestCandidate = 0.01;

// The global key is the one whose regions hold the most note time, counted as the note
// time each key is expected to hold given the whole piece (forward-backward posteriors)
// rather than along the one likeliest path: so it is also the first candidate, and every
// candidate's share is that expected time.
KeyScores timeShares(const std::vector<KeyScores> &posteriors, const std::vector<double> &noteTime)
{
    KeyScores expected{};
    double sum = 0;
    for (std::size_t w = 0; w < posteriors.size(); ++w)
        for (std::size_t k = 0; k < 24; ++k) {
            expected[k] += noteTime[w] * posteriors[w][k];
            sum += noteTime[w] * posteriors[w][k];
        }
    for (double &e : expected)
        e /= sum;
    return expected;
}

std::vector<LocalKey> regionsOf(const std::vector<int> &windowKeys, std::int64_t windowTicks, std::int64_t lastTick)
{
    std::vector<LocalKey> regions;
    for (std::size_t w = 0; w < windowKeys.size(); ++w) {
        const std::int64_t start = std::int64_t(w) * windowTicks;
        const std::int64_t end = std::min(start + windowTicks, std::max(lastTick, start));
        if (!regions.empty() && regions.back().keyCode == windowKeys[w])
            regions.back().endTick = end;
        else
            regions.push_back({start, end, windowKeys[w]});
    }
    return regions;
}

// The bars from the first: index b (from 0) covers origin + [b, b + 1) * ticksPerBar, the
// first from tick 0; numbered from 0 after a pickup (the first, up to bar 1), else from 1.
// With bar lines, index b starts at the line of bar b + first - 1, and bars of ticksPerBar
// run on from the last.
struct Bars {
    std::int64_t origin = 0, ticksPerBar = 1, first = 1;
    const std::vector<std::int64_t> *lines = nullptr;
    Bars(const BarStart &barStart, std::int64_t perBar)
        : origin(barStart.pickup ? barStart.tick - perBar : barStart.tick), ticksPerBar(perBar),
          first(barStart.pickup ? 0 : 1), lines(barStart.lines.empty() ? nullptr : &barStart.lines)
    {
    }
    // The first tick of bar line i (bar i + 1's), from 0.
    std::int64_t line(std::int64_t i) const
    {
        const std::int64_t n = std::int64_t(lines->size());
        return i < n ? (*lines)[std::size_t(i)] : lines->back() + (i - n + 1) * ticksPerBar;
    }
    std::int64_t start(std::int64_t b) const
    {
        if (b == 0)
            return 0;
        return lines ? line(b - 1 + first) : origin + b * ticksPerBar;
    }
    std::int64_t end(std::int64_t b) const { return lines ? line(b + first) : origin + (b + 1) * ticksPerBar; }
    std::int64_t count(std::int64_t lastTick) const
    {
        if (lines)
            return lastTick > 0 ? indexOf(lastTick - 1) + 1 : 0;
        return (lastTick - origin + ticksPerBar - 1) / ticksPerBar;
    }
    std::int64_t indexOf(std::int64_t tick) const
    {
        if (!lines)
            return std::max<std::int64_t>((tick - origin) / ticksPerBar, 0);
        const auto after = std::upper_bound(lines->begin(), lines->end(), tick);
        if (after == lines->begin())
            return 0;
        const std::int64_t at = std::int64_t(after - lines->begin()) - 1;
        const std::int64_t more = after == lines->end() ? (tick - lines->back()) / ticksPerBar : 0;
        return std::max<std::int64_t>(at + more + 1 - first, 0);
    }
};

// Bar b takes the key of the windows covering most of it; a bar past the windows takes the
// last window's key.
int barKey(const std::vector<int> &windowKeys, std::int64_t windowTicks, std::int64_t b, const Bars &bars)
{
    const std::int64_t windowsEnd = std::int64_t(windowKeys.size()) * windowTicks;
    const std::int64_t start = bars.start(b);
    const std::int64_t end = std::min(bars.end(b), windowsEnd);
    if (start >= end)
        return windowKeys.back();
    std::array<std::int64_t, 24> cover{};
    for (std::int64_t t = start; t < end;) {
        const std::size_t w = std::size_t(t / windowTicks);
        const std::int64_t next = std::min(end, std::int64_t(w + 1) * windowTicks);
        cover[std::size_t(keyIndex(windowKeys[w]))] += next - t;
        t = next;
    }
    return keyCodeAt(int(std::max_element(cover.begin(), cover.end()) - cover.begin()));
}

std::vector<BarKey> barsOf(const std::vector<int> &windowKeys, std::int64_t windowTicks, std::int64_t lastTick,
                           const Bars &bars)
{
    std::vector<BarKey> out;
    if (windowKeys.empty())
        return out;
    const std::int64_t count = std::min(bars.count(lastTick), MaxBars);
    for (std::int64_t b = 0; b < count; ++b)
        out.push_back({b + bars.first, barKey(windowKeys, windowTicks, b, bars)});
    return out;
}

// The keys barsOf gives, for every bar however many, kept where they change. Bars lying
// wholly in one window take its key and are stepped over, and every bar past the windows
// takes the last one's, so the work grows with the windows, not with the bars.
std::vector<BarKey> barChangesOf(const std::vector<int> &windowKeys, std::int64_t windowTicks,
                                 std::int64_t lastTick, const Bars &bars)
{
    std::vector<BarKey> changes;
    if (windowTicks <= 0 || windowKeys.empty())
        return changes;
    const std::int64_t count = bars.count(lastTick);
    const std::int64_t windowsEnd = std::int64_t(windowKeys.size()) * windowTicks;
    for (std::int64_t b = 0; b < count;) {
        const int key = barKey(windowKeys, windowTicks, b, bars);
        if (changes.empty() || changes.back().keyCode != key)
            changes.push_back({b + bars.first, key});
        const std::int64_t start = bars.start(b);
        if (start >= windowsEnd)
            break;
        // The bars before the one holding this window's end lie wholly inside it.
        const std::int64_t windowEnd = (start / windowTicks + 1) * windowTicks;
        b = std::max(b + 1, bars.indexOf(windowEnd));
    }
    return changes;
}

} // namespace

std::vector<KeyCandidate> keyCandidates(const std::array<double, 24> &shares)
{
    std::vector<KeyCandidate> all;
    for (std::size_t k = 0; k < 24; ++k)
        all.push_back({keyCodeAt(int(k)), shares[k], KeyRelation::None});
    std::stable_sort(all.begin(), all.end(), [](const KeyCandidate &a, const KeyCandidate &b) {
        return a.confidence > b.confidence;
    });
    std::vector<KeyCandidate> kept;
    for (const KeyCandidate &c : all) {
        if (!kept.empty() && c.confidence < SmallestCandidate)
            break;
        kept.push_back(c);
        kept.back().relation = keyRelation(kept.front().keyCode, c.keyCode);
    }
    return kept;
}

ProfileAnalysis analyseProfile(const KeyWorkspace &workspace, std::int64_t ticksPerBar, const AnalysisOptions &options,
                               BarStart barStart)
{
    ProfileAnalysis result;
    std::vector<double> noteTime;
    const KeyTemplates templates = keyTemplates(options.weights ? *options.weights : profileWeights(options.profile));
    std::vector<KeyScores> logEmission =
        windowCorrelations(mergedWindows(workspace, options.globalQuarters), templates, options.bassWeight, noteTime);
    if (std::accumulate(noteTime.begin(), noteTime.end(), 0.0) <= 0)
        return result;
    for (KeyScores &scores : logEmission)
        for (double &s : scores)
            s *= options.sharpness;
    // Pieces mostly end on the tonic in the bass.
    KeyScores logFinal{};
    if (workspace.finalBass() >= 0)
        for (std::size_t k = 0; k < 24; ++k)
            if (int(k % 12) == workspace.finalBass())
                logFinal[k] = options.finalBassHint;

    const KeyTransitions transitions = keyTransitions(options.stay, options.fifthsFalloff);
    // Neighbouring windows share notes and harmony, so the evidence they give is not
    // independent: the confidences come from the same model at a higher temperature, every
    // log probability scaled by confidenceSharpness / sharpness.
    const double temper = options.sharpness > 0 ? options.confidenceSharpness / options.sharpness : 1.0;
    for (KeyScores &scores : logEmission)
        for (double &s : scores)
            s *= temper;
    for (double &s : logFinal)
        s *= temper;
    result.keyShares = timeShares(keyPosteriors(logEmission, tempered(transitions, temper), logFinal), noteTime);
    result.candidates = keyCandidates(calibratedShares(result.keyShares, options.calibration));
    result.keyCode = result.candidates.front().keyCode;
    result.confidence = result.candidates.front().confidence;
    // On the shares before calibration, so the same files are flagged whatever the calibration.
    result.ambiguous = result.candidates.size() > 1
                       && result.keyShares[std::size_t(keyIndex(result.candidates[1].keyCode))]
                              >= options.ambiguousRatio * result.keyShares[std::size_t(keyIndex(result.keyCode))];

    const LocalKeys local = localKeys(workspace, templates, options);
    result.changeRate = local.changeRate;
    result.windowTicks = workspace.windowTicks();
    result.windowKeys.reserve(local.keys.size());
    for (int k : local.keys)
        result.windowKeys.push_back(keyCodeAt(k));
    result.windowShares.reserve(local.shares.size());
    result.windowConfidences.reserve(local.shares.size());
    for (double share : local.shares) {
        result.windowShares.push_back(float(share));
        result.windowConfidences.push_back(float(windowConfidence(share, options.local.calibration)));
    }
    placeLocalKeys(result, workspace.lastTick(), ticksPerBar, barStart);
    return result;
}

void placeLocalKeys(ProfileAnalysis &result, std::int64_t lastTick, std::int64_t ticksPerBar, BarStart barStart)
{
    result.regions = regionsOf(result.windowKeys, result.windowTicks, lastTick);
    result.bars.clear();
    result.barChanges.clear();
    result.lastBar = 0;
    result.ticksPerBar = 0;
    result.barStart = {};
    if (ticksPerBar <= 0)
        return;
    const Bars bars(barStart, ticksPerBar);
    result.bars = barsOf(result.windowKeys, result.windowTicks, lastTick, bars);
    result.barChanges = barChangesOf(result.windowKeys, result.windowTicks, lastTick, bars);
    if (!result.barChanges.empty()) {
        result.lastBar = bars.count(lastTick) - 1 + bars.first;
        result.ticksPerBar = ticksPerBar;
        result.barStart = barStart;
    }
}

std::int64_t barOfTick(const ProfileAnalysis &a, std::int64_t tick)
{
    const Bars bars(a.barStart, std::max<std::int64_t>(a.ticksPerBar, 1));
    return bars.indexOf(tick) + bars.first;
}

std::int64_t barStartTick(const ProfileAnalysis &a, std::int64_t bar)
{
    const Bars bars(a.barStart, a.ticksPerBar);
    return bars.start(std::max<std::int64_t>(bar - bars.first, 0));
}

LocalKeyAt localKeyAt(const ProfileAnalysis &a, std::int64_t tick)
{
    LocalKeyAt at;
    if (a.regions.empty())
        return at;
    // The first region starting after the tick, then the one holding it.
    auto it = std::upper_bound(a.regions.begin(), a.regions.end(), tick,
                               [](std::int64_t t, const LocalKey &r) { return t < r.startTick; });
    const LocalKey &region = *(it == a.regions.begin() ? it : std::prev(it));
    at.keyCode = region.keyCode;
    at.startTick = region.startTick;
    at.beyond = tick >= a.regions.back().endTick && a.regions.back().endTick > 0;
    if (a.ticksPerBar > 0)
        at.startBar = Bars(a.barStart, a.ticksPerBar).indexOf(region.startTick + a.ticksPerBar / 2) +
                      Bars(a.barStart, a.ticksPerBar).first;
    if (a.windowTicks > 0 && !a.windowConfidences.empty()) {
        const std::int64_t w = std::clamp<std::int64_t>(tick / a.windowTicks, 0, std::int64_t(a.windowConfidences.size()) - 1);
        at.confidence = a.windowConfidences[std::size_t(w)];
    }
    return at;
}

double barConfidence(const ProfileAnalysis &a, const BarKey &bar)
{
    if (a.ticksPerBar <= 0 || a.windowTicks <= 0 || a.windowConfidences.empty() || bar.bar < Bars(a.barStart, 1).first)
        return 0;
    const Bars bars(a.barStart, a.ticksPerBar);
    const std::int64_t start = bars.start(bar.bar - bars.first);
    const std::int64_t end = std::min(bars.end(bar.bar - bars.first), std::int64_t(a.windowConfidences.size()) * a.windowTicks);
    double sum = 0, time = 0;
    for (std::int64_t t = start; t < end;) {
        const std::size_t w = std::size_t(t / a.windowTicks);
        const std::int64_t next = std::min(end, std::int64_t(w + 1) * a.windowTicks);
        if (a.windowKeys[w] == bar.keyCode) {
            sum += double(next - t) * a.windowConfidences[w];
            time += double(next - t);
        }
        t = next;
    }
    return time > 0 ? sum / time : 0;
}

ProfileAnalysis analyseProfile(const std::vector<NoteEvent> &events, int ticksPerQuarter, std::int64_t ticksPerBar,
                               const AnalysisOptions &options, BarStart barStart)
{
    KeyWorkspace workspace(ticksPerQuarter, options.windowQuarters);
    const auto byTick = [](const NoteEvent &a, const NoteEvent &b) { return a.tick < b.tick; };
    if (std::is_sorted(events.begin(), events.end(), byTick)) {
        workspace.add(events);
    } else {
        std::vector<NoteEvent> sorted = events;
        std::stable_sort(sorted.begin(), sorted.end(), byTick);
        workspace.add(sorted);
    }
    return analyseProfile(workspace, ticksPerBar, options, barStart);
}

ProfileAnalyser::ProfileAnalyser(int ticksPerQuarter, AnalysisOptions options)
    : options_(std::move(options)), workspace_(ticksPerQuarter, options_.windowQuarters)
{
}

void ProfileAnalyser::update(const std::vector<NoteEvent> &allEventsSoFar)
{
    if (allEventsSoFar.size() < workspace_.eventCount())
        workspace_.clear();
    workspace_.add(std::span(allEventsSoFar).subspan(workspace_.eventCount()));
}

ProfileAnalysis ProfileAnalyser::analysis(std::int64_t ticksPerBar) const
{
    return analyseProfile(workspace_, ticksPerBar, options_);
}

void ProfileAnalyser::clear()
{
    workspace_.clear();
}

} // namespace tunedeck::profile
